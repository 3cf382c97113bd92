#pragma once
#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>

namespace tempyra {

// Level mapping constants, in millidegrees Celsius unless named otherwise.
struct ThermalTuning {
  static constexpr std::int64_t kMinTemp = -40000;         // usable zone temperature, exclusive
  static constexpr std::int64_t kMaxTemp = 150000;         // exclusive
  static constexpr std::int64_t kMaxTrip = 200000;         // larger trips are firmware placeholders
  static constexpr std::int64_t kInvalidTrip = -274000;    // the kernel's "unset"
  static constexpr std::int64_t kSeriousBelowHot = 10000;  // serious from 10 °C below a hot trip
  static constexpr std::int64_t kFairBelowSerious = 10000;
  static constexpr std::int64_t kMinHysteresis = 2000;     // to leave a level, drop this far below
  static constexpr double kThrottleShareSerious = 0.10;    // of the interval spent throttled
};

inline constexpr int kUnknownThermalLevel = -1;

// Thermal pressure from the kernel's thermal zones, cooling devices and Intel throttle counters
// below `root`: 0 nominal, 1 fair, 2 serious, 3 critical, kUnknownThermalLevel when no usable
// zone and no evidence source exists. Keeps per-zone levels (hysteresis: entering a level is
// immediate, leaving needs the temperature below its entry threshold by the trip hysteresis, at
// least 2 °C) and the throttle counters of the previous call.
// REQUIRES: one caller at a time.
class ThermalZones {
 public:
  explicit ThermalZones(std::filesystem::path root);

  // `now` in seconds on any steady clock; it only measures the interval between calls.
  int level(double now);

  // The capability text for thermal pressure, saying why it is not available where it is not.
  std::string capability() const;

 private:
  struct Throttle {
    std::int64_t count = 0;
    std::int64_t totalMs = 0;
  };
  std::filesystem::path root_;
  std::map<std::string, int> zoneLevels_;
  std::map<std::string, Throttle> throttle_;
  std::optional<double> lastAt_;
};

}  // namespace tempyra
