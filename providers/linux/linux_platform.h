#pragma once
#include <array>
#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "providers/linux/sys_root.h"
#include "providers/linux/thermal_zones.h"
#include "providers/platform.h"

namespace tempyra {

// The Platform of a Linux machine, reading only files below `root` ("/" in production, a
// captured tree in tests): /proc/stat, /proc/[pid]/stat, /sys/class/power_supply, cpufreq and
// idle-injection cooling devices, DMI or the device tree, os-release, the kernel release, and
// the thermal zones (`thermal`, shared with the sensor reader that shows the zones; one of its
// own when null). Anything unreadable or implausible is an absent answer.
//
// The words follow what the latest thermalLevel() and cpuPowerStatus() saw: which zone and trip
// decided the level, and a CPU held at its minimum frequency.
// REQUIRES: one caller at a time.
class LinuxPlatform final : public Platform {
 public:
  explicit LinuxPlatform(const std::filesystem::path& root = "/",
                         std::shared_ptr<ThermalZones> thermal = nullptr,
                         SysRoot::Resolution resolution = SysRoot::Resolution::automatic);

  const PlatformWords& words() const override { return words_; }
  int thermalLevel() override;
  std::string osText() override;
  std::optional<std::string> modelText() override;
  std::string architectureText() override;
  std::optional<std::vector<std::uint64_t>> cpuTicks() override;
  std::optional<std::vector<std::int32_t>> processIds() override;
  std::optional<ProcessTimes> processTimes(std::int32_t pid) override;
  std::optional<std::string> processName(std::int32_t pid) override;
  std::optional<PowerSnapshot> powerSources() override;
  std::optional<std::map<std::string, double>> cpuPowerStatus() override;

  // A CPU below this share of busy time over the last interval may rest at its minimum
  // frequency; only a busier one (or one whose load is unknown) is "held" there.
  static constexpr double kIdleShare = 0.2;

 private:
  // Speed limit in percent and whether every active policy runs at its minimum frequency.
  struct SpeedLimit {
    std::optional<double> percent;
    bool atMinimum = false;
    std::int64_t minimumKHz = 0;
    std::int64_t allowedKHz = 0;
    std::int64_t firmwareKHz = 0;  // the lowest bios_limit below the hardware maximum; 0 if none
    bool anyPolicy = false;
  };
  SpeedLimit speedLimit() const;

  SysRoot root_;
  bool hostRoot_ = false;  // the machine itself: uname() may fill what the tree lacks
  PlatformWords words_;
  std::shared_ptr<ThermalZones> thermal_;
  std::uint64_t nsPerTickNum_ = 10'000'000;  // 1e9 / USER_HZ, as a fraction num / den
  std::uint64_t nsPerTickDen_ = 1;
  // Busy share between the last two tick readings (absent until two readings differ), and how
  // many policy readings in a row found the CPU at its minimum frequency.
  std::optional<std::array<std::uint64_t, 4>> lastTicks_;
  std::optional<double> busyShare_;
  int atMinimumSamples_ = 0;
  // Work of children that ended between two process scans. The kernel adds a reaped child's
  // CPU time (its own and that of its own reaped children) to the parent's cutime/cstime; a
  // process's time here is its own plus the growth of those fields since the previous scan, so
  // a shell, make or ninja carries the work of the short compiler runs it started. A child
  // seen alive at one scan and reaped before the next is counted twice (its time while alive
  // under its own id, then again in its parent): the credit given in one interval is bounded
  // by the machine's busy time over that interval less the parent's own time, so no share
  // exceeds what the whole machine did.
  struct ChildWork {
    std::uint64_t startStamp = 0;
    std::uint64_t ownTicks = 0;
    std::uint64_t childTicks = 0;
    std::uint64_t creditTicks = 0;  // children's ticks counted so far, cumulative
  };
  std::unordered_map<std::int32_t, ChildWork> childWork_, nextChildWork_;
  std::optional<std::uint64_t> scanBusyTicks_;  // the machine's busy ticks at the previous scan
  std::uint64_t intervalBusyTicks_ = 0;         // busy ticks between the last two scans
  // The name read with the latest processTimes call: a name is asked for right after the
  // times of the same process, so the stat file is not read twice.
  std::int32_t lastPid_ = 0;
  char lastComm_[80] = {};
  std::size_t lastCommSize_ = 0;
};

}  // namespace tempyra
