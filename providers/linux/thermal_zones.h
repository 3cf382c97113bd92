#pragma once
#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "providers/linux/sys_root.h"

namespace tempyra {

// Level mapping constants, in millidegrees Celsius unless named otherwise.
struct ThermalTuning {
  static constexpr std::int64_t kMinTemp = -40000;         // usable zone temperature, exclusive
  static constexpr std::int64_t kMaxTemp = 150000;         // exclusive
  static constexpr std::int64_t kMaxTrip = 200000;         // larger trips are firmware placeholders
  static constexpr std::int64_t kMinCriticalTrip = 45000;  // a lower critical or hot trip is a
                                                           // placeholder: no machine shuts down there
  static constexpr std::int64_t kInvalidTrip = -274000;    // the kernel's "unset"
  static constexpr std::int64_t kSeriousBelowHot = 10000;  // serious from 10 °C below a hot trip
  static constexpr std::int64_t kFairBelowSerious = 10000;
  static constexpr std::int64_t kMinHysteresis = 2000;     // to leave a level, drop this far below
  static constexpr std::int64_t kMaxHysteresis = 20000;    // a larger trip hysteresis is garbage
  static constexpr double kThrottleShareSerious = 0.10;    // of the interval spent throttled
  static constexpr std::size_t kMaxZones = 256;            // zones read per evaluation
  static constexpr std::size_t kMaxCoolingDevices = 1024;
};

inline constexpr int kUnknownThermalLevel = -1;

enum class TripKind { critical, hot, passive, active };

// A trip point that passed validation: known type, 0 < temp <= kMaxTrip, not "unset", and for
// critical and hot trips at least kMinCriticalTrip.
struct ThermalTrip {
  int index = 0;
  TripKind kind = TripKind::critical;
  std::int64_t temp = 0;        // m°C
  std::int64_t hysteresis = 0;  // m°C, as the zone reports it (0 when missing or garbage)
  bool bound = false;           // a cooling device is bound to this trip
};

// One zone as the latest evaluation saw it.
struct ZoneReading {
  std::string dir;     // "thermal_zone0"
  std::string type;    // "acpitz", cleaned for display
  std::string label;   // the type, with its device or ordinal when several zones share it
  std::optional<double> celsius;  // absent when unreadable or out of the plausible range
  std::string problem;  // why the temperature is absent or the zone unusable; empty otherwise
  bool usable = false;  // plausible temperature and at least one valid trip
  int level = kUnknownThermalLevel;  // 0-3 with hysteresis, when usable
  // The trip that decided a raised level, else the nearest trip above the temperature.
  std::optional<ThermalTrip> trip;
};

// What one evaluation saw: the system level, the capability text that explains it and every
// zone read. Built once per evaluation so that the level, its explanation and the zone
// temperatures shown as sensors come from one pass over the files.
struct ThermalSnapshot {
  int level = kUnknownThermalLevel;
  std::string capability;
  std::vector<ZoneReading> zones;
};

// "critical trip 99 °C".
std::string tripText(const ThermalTrip& trip);

// The level of one zone at temperature `t` (m°C) without memory: 0 nominal .. 3 critical.
int zoneLevel(const std::vector<ThermalTrip>& trips, std::int64_t t);
// The same with hysteresis: coming from `previous`, a level is kept until the temperature is
// below that level's own entry threshold by the hysteresis of the trip that defines it (at
// least kMinHysteresis). Entering a higher level is immediate.
int zoneLevel(const std::vector<ThermalTrip>& trips, std::int64_t t, int previous);

// Thermal pressure from the kernel's thermal zones, cooling devices and Intel throttle counters
// below `root`: 0 nominal, 1 fair, 2 serious, 3 critical, kUnknownThermalLevel when no zone is
// usable. Without a usable zone, throttling evidence may still raise the level to fair or
// serious, but its absence never proves nominal. Keeps the per-zone levels (hysteresis) and the
// throttle counters of the previous evaluation.
// REQUIRES: one caller at a time.
class ThermalZones {
 public:
  explicit ThermalZones(const std::filesystem::path& root,
                        SysRoot::Resolution resolution = SysRoot::Resolution::automatic);

  // Reads the zones now. `now` in seconds on any steady clock; it only measures the interval
  // between evaluations (for the throttle-time share).
  const ThermalSnapshot& evaluate(double now);
  int level(double now) { return evaluate(now).level; }

  // The latest evaluation; empty (level unknown, no zones) before the first.
  const ThermalSnapshot& latest() const { return latest_; }

 private:
  struct Throttle {
    std::int64_t count = 0;
    std::int64_t totalMs = 0;
  };
  SysRoot root_;
  ThermalSnapshot latest_;
  std::map<std::string, int> zoneLevels_;
  std::map<std::string, Throttle> throttle_;
  std::optional<double> lastAt_;
};

}  // namespace tempyra
