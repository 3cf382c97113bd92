#include "providers/live_provider.h"

#include <chrono>
#include <map>

#include "providers/linux/hwmon_sensors.h"
#include "providers/linux/linux_platform.h"
#include "providers/linux/thermal_zones.h"
#include "providers/system_provider.h"

namespace tempyra {

std::unique_ptr<SensorProvider> makeLiveProvider(const std::filesystem::path& root) {
  // One evaluation of the thermal zones per sample: the platform evaluates it for the level,
  // the sensor reader shows the zones it saw.
  auto zones = std::make_shared<ThermalZones>(root);
  auto makeHardware = [root, zones]() -> std::unique_ptr<HardwareSensors> {
    return std::make_unique<HwmonSensors>(root, zones);
  };
  return std::make_unique<SystemProvider>(std::make_unique<LinuxPlatform>(root, zones), makeHardware);
}

int liveThermalLevel(const std::filesystem::path& root) {
  // Hysteresis and throttle deltas need the previous call; one evaluator per thread and root
  // keeps that memory without a lock.
  thread_local std::map<std::string, ThermalZones> evaluators;
  auto it = evaluators.try_emplace(root.string(), root).first;
  const double now =
      std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
  return it->second.level(now);
}

}  // namespace tempyra
