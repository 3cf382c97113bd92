#pragma once
#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "providers/platform.h"
#include "providers/linux/thermal_zones.h"

namespace tempyra {

// The Platform of a Linux machine, reading only files below `root` ("/" in production, a
// captured tree in tests): /proc/stat, /proc/[pid]/stat, /sys/class/power_supply, cpufreq and
// idle-injection cooling devices, DMI or the device tree, os-release, the kernel release, and
// the thermal zones. Anything unreadable is an absent answer.
// REQUIRES: one caller at a time.
class LinuxPlatform final : public Platform {
 public:
  explicit LinuxPlatform(std::filesystem::path root = "/");

  const PlatformWords& words() const override { return words_; }
  int thermalLevel() override;
  std::string osText() override;
  std::optional<std::string> modelText() override;
  std::string architectureText() override;
  std::optional<std::vector<std::uint32_t>> cpuTicks() override;
  std::optional<std::vector<std::int32_t>> processIds() override;
  std::optional<ProcessTimes> processTimes(std::int32_t pid) override;
  std::optional<std::string> processName(std::int32_t pid) override;
  std::optional<PowerSnapshot> powerSources() override;
  std::optional<std::map<std::string, double>> cpuPowerStatus() override;

 private:
  std::string path(std::string_view relative) const;

  std::filesystem::path root_;
  std::string rootText_;  // root with a trailing '/', for building paths without allocation churn
  PlatformWords words_;
  ThermalZones thermal_;
  std::uint64_t nsPerTickNum_ = 10'000'000;  // 1e9 / USER_HZ, as a fraction num / den
  std::uint64_t nsPerTickDen_ = 1;
  // The name read with the latest processTimes call: a name is asked for right after the
  // times of the same process, so the stat file is not read twice.
  std::int32_t lastPid_ = 0;
  char lastComm_[80] = {};
  std::size_t lastCommSize_ = 0;
};

}  // namespace tempyra
