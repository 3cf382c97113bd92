#include "providers/live_provider.h"

#include <chrono>
#include <map>

#include "providers/linux/applesmc_exchange.h"
#include "providers/linux/hwmon_sensors.h"
#include "providers/linux/linux_platform.h"
#include "providers/smc_sensors.h"
#include "providers/system_provider.h"
#include "providers/linux/thermal_zones.h"

namespace tempyra {

std::unique_ptr<SensorProvider> makeLiveProvider(const std::filesystem::path& root) {
  auto makeHardware = [root]() -> std::unique_ptr<HardwareSensors> {
    if (ApplesmcExchange::deviceDirectory(root))
      return std::make_unique<SMCSensors>(std::make_unique<ApplesmcExchange>(root));
    return std::make_unique<HwmonSensors>(root);
  };
  return std::make_unique<SystemProvider>(std::make_unique<LinuxPlatform>(root), makeHardware);
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
