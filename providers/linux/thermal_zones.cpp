#include "providers/linux/thermal_zones.h"

#include <algorithm>
#include <unordered_map>
#include <unordered_set>
#include <utility>

#include "providers/linux/sys_text.h"

namespace tempyra {
namespace {

using T = ThermalTuning;

// One condition for entering a level: t >= threshold, defined by `trip`.
struct Condition {
  std::int64_t threshold;
  const ThermalTrip* trip;
};

struct Conditions {
  std::vector<Condition> atLeast[4];  // index 1 fair, 2 serious, 3 critical
};

Conditions conditionsOf(const std::vector<ThermalTrip>& trips) {
  const ThermalTrip *hot = nullptr, *bound = nullptr, *unbound = nullptr, *active = nullptr;
  auto lowest = [](const ThermalTrip*& slot, const ThermalTrip& trip) {
    if (!slot || trip.temp < slot->temp) slot = &trip;
  };
  for (const auto& trip : trips) {
    switch (trip.kind) {
      case TripKind::critical:
      case TripKind::hot: lowest(hot, trip); break;
      case TripKind::passive: lowest(trip.bound ? bound : unbound, trip); break;
      case TripKind::active:  // the highest active trip is the top fan stage
        if (!active || trip.temp > active->temp) active = &trip;
        break;
    }
  }
  Conditions c;
  if (hot) c.atLeast[3].push_back({hot->temp, hot});
  std::optional<Condition> serious;
  if (bound) serious = Condition{bound->temp, bound};
  else if (hot) serious = Condition{hot->temp - T::kSeriousBelowHot, hot};
  if (serious) {
    c.atLeast[2].push_back(*serious);
    c.atLeast[1].push_back({serious->threshold - T::kFairBelowSerious, serious->trip});
  }
  if (active) c.atLeast[1].push_back({active->temp, active});
  if (unbound) c.atLeast[1].push_back({unbound->temp, unbound});
  return c;
}

std::int64_t hysteresisOf(const ThermalTrip& trip) {
  return std::max(trip.hysteresis, T::kMinHysteresis);
}

const Condition* met(const Conditions& c, int level, std::int64_t t, bool hysteresis) {
  for (const auto& condition : c.atLeast[level]) {
    const std::int64_t lowered = hysteresis ? condition.threshold - hysteresisOf(*condition.trip)
                                            : condition.threshold;
    if (t >= lowered) return &condition;
  }
  return nullptr;
}

int levelWith(const Conditions& c, std::int64_t t, int previous) {
  int level = 0;
  for (int l = 3; l >= 1 && level == 0; --l)
    if (met(c, l, t, false)) level = l;
  for (int l = std::min(previous, 3); l > level; --l)
    if (met(c, l, t, true)) return l;
  return level;
}

// The trip behind a raised level, or the nearest trip above t.
std::optional<ThermalTrip> tripFor(const std::vector<ThermalTrip>& trips, const Conditions& c,
                                   std::int64_t t, int level) {
  if (level > 0) {
    if (const Condition* condition = met(c, level, t, true)) return *condition->trip;
  }
  const ThermalTrip* nearest = nullptr;
  for (const auto& trip : trips)
    if (trip.temp > t && (!nearest || trip.temp < nearest->temp)) nearest = &trip;
  if (nearest) return *nearest;
  return std::nullopt;
}

std::optional<TripKind> tripKind(const std::string& type) {
  if (type == "critical") return TripKind::critical;
  if (type == "hot") return TripKind::hot;
  if (type == "passive") return TripKind::passive;
  if (type.rfind("active", 0) == 0) return TripKind::active;  // older kernels: "active0"
  return std::nullopt;
}

// A cumulative counter since boot; a negative or astronomically large one is garbage.
std::optional<std::int64_t> counter(std::optional<std::int64_t> value) {
  if (!value || *value < 0 || *value > (std::int64_t{1} << 50)) return std::nullopt;
  return value;
}

bool throttlingDevice(const std::string& type) {
  return type == "Processor" || type == "intel_powerclamp" || type.rfind("cpufreq-", 0) == 0 ||
         type.rfind("thermal-cpufreq-", 0) == 0 || type.rfind("idle-", 0) == 0;
}

std::string zoneName(const ZoneReading& zone) { return zone.dir + " (" + zone.type + ")"; }

struct ZoneScan {
  ZoneReading reading;
  std::vector<ThermalTrip> trips;
  std::int64_t milli = 0;
  std::string device;
};

// Reads one zone; records the cooling devices bound to one of its trips in `bound`. Hysteresis
// only ever holds a raised level, so a zone that was nominal needs none read.
ZoneScan readZone(const SysRoot& root, const std::string& base, const std::string& dir, bool wasRaised,
                  std::unordered_set<std::string>& bound) {
  ZoneScan scan;
  ZoneReading& zone = scan.reading;
  const std::string path = base + "/" + dir;
  zone.dir = dir;
  zone.type = cleanText(root.attribute(path + "/type").ok().value_or(""));
  if (zone.type.empty()) zone.type = dir;
  zone.label = zone.type;

  const auto temp = root.number(path + "/temp");
  if (!temp) {
    zone.problem = "temperature " + temp.error();
  } else if (*temp <= T::kMinTemp || *temp >= T::kMaxTemp) {
    zone.problem = "reads " + celsiusText(static_cast<double>(*temp) / 1000.0) + ", out of range";
  } else {
    scan.milli = *temp;
    zone.celsius = static_cast<double>(*temp) / 1000.0;
  }

  std::unordered_set<std::int64_t> boundTrips;
  std::vector<int> tripIndexes;
  for (const auto& entry : root.list(path)) {
    if (const auto n = channelNumber(entry, "trip_point_", "_type")) tripIndexes.push_back(*n);
    if (entry.rfind("cdev", 0) != 0 || entry.size() < 16 ||
        entry.compare(entry.size() - 11, 11, "_trip_point") != 0)
      continue;
    // cdevK_trip_point is -1 when the device is linked to the zone but to none of its trips.
    const auto trip = root.number(path + "/" + entry).ok();
    if (!trip || *trip < 0) continue;
    boundTrips.insert(*trip);
    const std::string device = root.linkBase(path + "/" + entry.substr(0, entry.size() - 11));
    if (!device.empty()) bound.insert(device);
  }
  for (const int n : tripIndexes) {
    const std::string prefix = path + numbered("/trip_point_", n);
    const auto kind = tripKind(root.attribute(prefix + "_type").ok().value_or(""));
    const auto tripTemp = root.number(prefix + "_temp").ok();
    if (!kind || !tripTemp || *tripTemp <= 0 || *tripTemp == T::kInvalidTrip || *tripTemp > T::kMaxTrip)
      continue;
    if ((*kind == TripKind::critical || *kind == TripKind::hot) && *tripTemp < T::kMinCriticalTrip) continue;
    ThermalTrip trip;
    trip.index = n;
    trip.kind = *kind;
    trip.temp = *tripTemp;
    const auto hyst = wasRaised ? root.number(prefix + "_hyst").ok() : std::nullopt;
    trip.hysteresis = hyst && *hyst >= 0 && *hyst <= T::kMaxHysteresis ? *hyst : 0;
    trip.bound = boundTrips.count(n) > 0;
    scan.trips.push_back(trip);
  }
  if (zone.celsius && scan.trips.empty()) zone.problem = "no valid trip point";
  zone.usable = zone.celsius && !scan.trips.empty();
  return scan;
}

// Zones of one type get their device ("LNXTHERM:01") or, lacking distinct devices, their place
// among that type's zones, so that their names stay the same from boot to boot.
void labelDuplicates(const SysRoot& root, const std::string& base, std::vector<ZoneScan>& zones) {
  std::unordered_map<std::string, std::vector<ZoneScan*>> byType;
  for (auto& zone : zones) byType[zone.reading.type].push_back(&zone);
  for (auto& [type, group] : byType) {
    if (group.size() < 2) continue;
    std::unordered_set<std::string> devices;
    for (ZoneScan* zone : group) {
      zone->device = cleanText(root.linkBase(base + "/" + zone->reading.dir + "/device"));
      if (!zone->device.empty()) devices.insert(zone->device);
    }
    const bool distinct = devices.size() == group.size();
    for (std::size_t i = 0; i < group.size(); ++i)
      group[i]->reading.label =
          type + " " + (distinct ? group[i]->device : numbered("", static_cast<std::int64_t>(i) + 1));
  }
}

std::string whyNoUsableZone(bool classExists, const std::vector<ZoneScan>& zones) {
  if (!classExists) return "the kernel exposes no /sys/class/thermal";
  if (zones.empty()) return "the kernel lists no thermal zone";
  bool anyReadable = false;
  const ZoneScan* withTrips = nullptr;
  for (const auto& zone : zones) {
    // A temperature that reads as garbage was still read.
    anyReadable = anyReadable || zone.reading.celsius || zone.reading.problem.rfind("reads ", 0) == 0 ||
                  zone.reading.problem == "temperature not a number";
    if (!withTrips && !zone.trips.empty()) withTrips = &zone;
  }
  if (!anyReadable) return "no thermal zone temperature is readable";
  if (!withTrips) return "no thermal zone has a valid trip point";
  return "no zone with valid trip points reads a plausible temperature (" + withTrips->reading.dir +
         ": " + withTrips->reading.problem + ")";
}

}  // namespace

std::string tripText(const ThermalTrip& trip) {
  static const char* const kinds[] = {"critical", "hot", "passive", "active"};
  return std::string(kinds[static_cast<int>(trip.kind)]) + " trip " +
         celsiusText(static_cast<double>(trip.temp) / 1000.0);
}

int zoneLevel(const std::vector<ThermalTrip>& trips, std::int64_t t) {
  return levelWith(conditionsOf(trips), t, 0);
}

int zoneLevel(const std::vector<ThermalTrip>& trips, std::int64_t t, int previous) {
  return levelWith(conditionsOf(trips), t, previous);
}

ThermalZones::ThermalZones(const std::filesystem::path& root, SysRoot::Resolution resolution)
    : root_(root, resolution) {}

const ThermalSnapshot& ThermalZones::evaluate(double now) {
  const std::string base = "sys/class/thermal";
  const bool classExists = root_.isDirectory(base);
  std::vector<std::string> zoneDirs, deviceDirs;
  for (auto& entry : root_.list(base)) {
    if (channelNumber(entry, "thermal_zone")) zoneDirs.push_back(std::move(entry));
    else if (channelNumber(entry, "cooling_device")) deviceDirs.push_back(std::move(entry));
  }
  const std::size_t zonesListed = zoneDirs.size();
  if (zoneDirs.size() > T::kMaxZones) zoneDirs.resize(T::kMaxZones);
  if (deviceDirs.size() > T::kMaxCoolingDevices) deviceDirs.resize(T::kMaxCoolingDevices);

  std::unordered_set<std::string> bound;
  std::vector<ZoneScan> scans;
  scans.reserve(zoneDirs.size());
  for (const auto& dir : zoneDirs) {
    const auto it = zoneLevels_.find(dir);
    scans.push_back(readZone(root_, base, dir, it != zoneLevels_.end() && it->second > 0, bound));
  }
  labelDuplicates(root_, base, scans);

  ThermalSnapshot snapshot;
  std::map<std::string, int> levels;
  const ZoneScan* decider = nullptr;
  auto margin = [](const ZoneScan& s) {
    return s.reading.trip ? s.reading.trip->temp - s.milli : INT64_MAX;
  };
  for (auto& scan : scans) {
    ZoneReading& zone = scan.reading;
    const Conditions conditions = conditionsOf(scan.trips);
    if (zone.usable) {
      const auto it = zoneLevels_.find(zone.dir);
      zone.level = levelWith(conditions, scan.milli, it == zoneLevels_.end() ? 0 : it->second);
      levels[zone.dir] = zone.level;
    }
    if (zone.celsius) zone.trip = tripFor(scan.trips, conditions, scan.milli, std::max(zone.level, 0));
    if (zone.usable) {
      if (!decider || zone.level > decider->reading.level ||
          (zone.level == decider->reading.level && margin(scan) < margin(*decider)))
        decider = &scan;
    }
  }
  zoneLevels_ = std::move(levels);

  // Evidence that performance is being reduced: raises the level, never lowers it.
  int evidence = 0;
  std::string evidenceText;
  for (const auto& dir : deviceDirs) {
    const std::string path = base + "/" + dir;
    const auto type = root_.attribute(path + "/type").ok();
    if (!type || !throttlingDevice(*type)) continue;
    const bool powerclamp = *type == "intel_powerclamp";
    if (!powerclamp && bound.count(dir) == 0) continue;  // unbound: says nothing about heat
    const auto state = root_.number(path + "/cur_state").ok();  // powerclamp reads -1 when idle
    const auto max = root_.number(path + "/max_state").ok();
    if (!state || *state <= 0 || (max && *state > *max)) continue;
    if (evidence < 2) evidenceText = "cooling device " + dir + " (" + cleanText(*type) + ") in use";
    evidence = 2;
  }

  const std::string cpus = "sys/devices/system/cpu";
  const double interval = lastAt_ ? now - *lastAt_ : 0;
  std::map<std::string, Throttle> counters;
  for (const auto& cpu : root_.list(cpus)) {
    if (!channelNumber(cpu, "cpu")) continue;
    const std::string dir = cpus + "/" + cpu + "/thermal_throttle/";
    const auto coreCount = counter(root_.number(dir + "core_throttle_count").ok());
    const auto packageCount = counter(root_.number(dir + "package_throttle_count").ok());
    if (!coreCount && !packageCount) continue;
    const Throttle current{coreCount.value_or(0) + packageCount.value_or(0),
                           std::max(counter(root_.number(dir + "core_throttle_total_time_ms").ok()).value_or(0),
                                    counter(root_.number(dir + "package_throttle_total_time_ms").ok()).value_or(0))};
    counters[cpu] = current;
    const auto it = throttle_.find(cpu);
    if (it == throttle_.end()) continue;  // new or replugged CPU: no delta yet
    const std::int64_t throttledMs = current.totalMs - it->second.totalMs;
    if (interval > 0 && throttledMs > 0 &&
        static_cast<double>(throttledMs) >= T::kThrottleShareSerious * interval * 1000.0) {
      if (evidence < 2) evidenceText = "CPU throttling (thermal_throttle time)";
      evidence = 2;
    } else if (current.count > it->second.count && evidence < 1) {
      evidenceText = "CPU throttling (thermal_throttle count)";
      evidence = 1;
    }
  }
  throttle_ = std::move(counters);
  lastAt_ = now;

  const std::string whyNot = decider ? std::string() : whyNoUsableZone(classExists, scans);
  for (auto& scan : scans) snapshot.zones.push_back(std::move(scan.reading));
  const ZoneReading* deciding = nullptr;
  if (decider) deciding = &snapshot.zones[static_cast<std::size_t>(decider - scans.data())];
  std::string capped;
  if (zonesListed > zoneDirs.size())
    capped = " · first " + std::to_string(zoneDirs.size()) + " of " + std::to_string(zonesListed) +
             " zones read";
  if (deciding) {
    snapshot.level = std::max(deciding->level, evidence);
    snapshot.capability = "Available · kernel thermal zones · ";
    if (evidence > deciding->level)
      snapshot.capability += "raised by " + evidenceText;
    else
      snapshot.capability += "decided by " + zoneName(*deciding) +
                             (deciding->trip ? " · " + tripText(*deciding->trip) : std::string());
  } else if (evidence > 0) {
    snapshot.level = evidence;
    snapshot.capability = "Available · throttling evidence only (" + evidenceText + ") · " + whyNot;
  } else {
    snapshot.capability = "Not available · " + whyNot;
  }
  snapshot.capability += capped;
  latest_ = std::move(snapshot);
  return latest_;
}

}  // namespace tempyra
