#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "core/device_profile.h"
#include "core/metric.h"
#include "core/power_context.h"
#include "core/process_activity.h"
#include "providers/hardware_sensors.h"
#include "providers/platform.h"
#include "providers/sensor_provider.h"

namespace tempyra {

// The live provider: thermal pressure, CPU load over the interval since the previous sample,
// hardware temperatures and fans, CPU power limits, power source and the busiest processes.
// Pure logic over a Platform and a HardwareSensors reader; what cannot be observed is reported
// as absent with a text that says why.
//
// REQUIRES: one caller at a time (the monitor's sampling queue); no locks inside.
class SystemProvider final : public SensorProvider {
 public:
  using HardwareFactory = std::function<std::unique_ptr<HardwareSensors>()>;

  // `makeHardware` is called once, on the first sample (opening a controller and discovering
  // its keys is slow, so construction does not do it).
  SystemProvider(std::unique_ptr<Platform> platform, HardwareFactory makeHardware);

  DeviceProfile profile() const override { return profile_; }
  Reading sample(double at, const std::string& segment, bool includeProcesses) override;
  void reset() override;

  static constexpr int kMaxProcesses = 8;
  static constexpr double kProcessThreshold = 0.1;  // percent of one core

 private:
  struct ProcessEntry {
    std::uint64_t cpuNs;
    double sampledAt;
    std::uint64_t startStamp;
  };

  Metric cpu(double at);
  std::vector<ProcessActivity> processes(double at);
  PowerContext power();

  std::unique_ptr<Platform> platform_;
  HardwareFactory makeHardware_;
  DeviceProfile profile_;
  std::unique_ptr<HardwareSensors> hardware_;
  std::optional<std::vector<std::uint64_t>> previousTicks_;
  std::unordered_map<std::int32_t, ProcessEntry> processTimes_;
};

}  // namespace tempyra
