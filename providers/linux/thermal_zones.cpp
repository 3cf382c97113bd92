#include "providers/linux/thermal_zones.h"

#include <unistd.h>

#include <algorithm>
#include <climits>
#include <utility>
#include <vector>

#include "providers/linux/sys_files.h"

namespace tempyra {
namespace {

using T = ThermalTuning;

struct Zone {
  std::string name;
  std::int64_t temp = 0;
  std::optional<std::int64_t> hot, passiveBound, passiveUnbound, active;
  std::int64_t hysteresis = T::kMinHysteresis;
};

std::string linkBase(const std::string& path) {
  char target[PATH_MAX];
  const ssize_t n = ::readlink(path.c_str(), target, sizeof target - 1);
  if (n <= 0) return {};
  const std::string_view text(target, static_cast<std::size_t>(n));
  const auto slash = text.rfind('/');
  return std::string(slash == std::string_view::npos ? text : text.substr(slash + 1));
}

void lower(std::optional<std::int64_t>& slot, std::int64_t value) {
  slot = slot ? std::min(*slot, value) : value;
}

struct Scan {
  bool classExists = false;
  std::vector<Zone> zones;           // usable zones only
  std::vector<std::string> bound;    // cooling devices bound to some zone
  bool evidenceSource = false;       // throttling cooling devices or throttle counters exist
  int coolingLevel = 0;              // from cooling devices now in use
  std::map<std::string, std::pair<std::int64_t, std::int64_t>> throttle;  // cpu -> count, ms
};

// Reads one zone; absent when it is not usable.
std::optional<Zone> readZone(const std::string& dir, const std::string& name) {
  const auto temp = readInteger(dir + "/temp");
  if (!temp || *temp <= T::kMinTemp || *temp >= T::kMaxTemp) return std::nullopt;
  Zone zone;
  zone.name = name;
  zone.temp = *temp;

  std::vector<std::int64_t> boundTrips;
  const auto entries = listDirectory(dir);
  for (const auto& entry : entries) {
    if (entry.rfind("cdev", 0) == 0 && entry.size() > 15 &&
        entry.compare(entry.size() - 11, 11, "_trip_point") == 0) {
      if (const auto trip = readInteger(dir + "/" + entry)) boundTrips.push_back(*trip);
    }
  }
  bool anyValid = false;
  for (const auto& entry : entries) {
    constexpr std::string_view prefix = "trip_point_";
    if (entry.rfind(prefix, 0) != 0 || entry.size() < 17 ||
        entry.compare(entry.size() - 5, 5, "_type") != 0)
      continue;
    const std::string index = entry.substr(prefix.size(), entry.size() - prefix.size() - 5);
    const auto number = parseInteger(index);
    const auto type = readAttribute(dir + "/" + entry);
    const auto tripTemp = readInteger(dir + "/trip_point_" + index + "_temp");
    if (!number || !type || !tripTemp || *tripTemp <= 0 || *tripTemp == T::kInvalidTrip ||
        *tripTemp > T::kMaxTrip)
      continue;
    const std::int64_t t = *tripTemp;
    if (*type == "critical" || *type == "hot") {
      lower(zone.hot, t);
    } else if (*type == "passive") {
      const bool isBound =
          std::find(boundTrips.begin(), boundTrips.end(), *number) != boundTrips.end();
      lower(isBound ? zone.passiveBound : zone.passiveUnbound, t);
    } else if (type->rfind("active", 0) == 0) {
      zone.active = zone.active ? std::max(*zone.active, t) : t;
    } else {
      continue;
    }
    anyValid = true;
    if (const auto hyst = readInteger(dir + "/trip_point_" + index + "_hyst"))
      if (*hyst > zone.hysteresis && *hyst <= 20000) zone.hysteresis = *hyst;
  }
  if (!anyValid) return std::nullopt;
  return zone;
}

bool throttlingDevice(const std::string& type) {
  return type == "Processor" || type == "intel_powerclamp" || type.rfind("cpufreq-", 0) == 0 ||
         type.rfind("thermal-cpufreq-", 0) == 0 || type.rfind("idle-", 0) == 0;
}

Scan scan(const std::filesystem::path& root) {
  Scan s;
  const std::string thermal = underRoot(root, "sys/class/thermal");
  s.classExists = ::access(thermal.c_str(), F_OK) == 0;
  const auto entries = listDirectory(thermal);
  for (const auto& entry : entries) {
    if (entry.rfind("thermal_zone", 0) != 0) continue;
    const std::string dir = thermal + "/" + entry;
    for (const auto& link : listDirectory(dir)) {
      if (link.rfind("cdev", 0) == 0 && link.find('_') == std::string::npos)
        s.bound.push_back(linkBase(dir + "/" + link));
    }
    if (auto zone = readZone(dir, entry)) s.zones.push_back(std::move(*zone));
  }
  for (const auto& entry : entries) {
    if (entry.rfind("cooling_device", 0) != 0) continue;
    const std::string dir = thermal + "/" + entry;
    const auto type = readAttribute(dir + "/type");
    if (!type || !throttlingDevice(*type)) continue;
    s.evidenceSource = true;
    const bool bound = std::find(s.bound.begin(), s.bound.end(), entry) != s.bound.end();
    const auto state = readInteger(dir + "/cur_state");  // powerclamp reads -1 when idle
    if (state && *state > 0 && (bound || *type == "intel_powerclamp")) s.coolingLevel = 2;
  }
  const std::string cpus = underRoot(root, "sys/devices/system/cpu");
  for (const auto& cpu : listDirectory(cpus)) {
    if (cpu.rfind("cpu", 0) != 0 || !parseInteger(std::string_view(cpu).substr(3))) continue;
    const std::string dir = cpus + "/" + cpu + "/thermal_throttle/";
    const auto coreCount = readInteger(dir + "core_throttle_count");
    const auto packageCount = readInteger(dir + "package_throttle_count");
    if (!coreCount && !packageCount) continue;
    s.evidenceSource = true;
    const auto coreMs = readInteger(dir + "core_throttle_total_time_ms");
    const auto packageMs = readInteger(dir + "package_throttle_total_time_ms");
    s.throttle[cpu] = {coreCount.value_or(0) + packageCount.value_or(0),
                       std::max(coreMs.value_or(0), packageMs.value_or(0))};
  }
  return s;
}

// The zone's level at temperature t, without hysteresis.
int rawLevel(const Zone& z, std::int64_t t) {
  std::optional<std::int64_t> serious = z.passiveBound;
  if (!serious && z.hot) serious = *z.hot - T::kSeriousBelowHot;
  if (z.hot && t >= *z.hot) return 3;
  if (serious && t >= *serious) return 2;
  if ((serious && t >= *serious - T::kFairBelowSerious) || (z.active && t >= *z.active) ||
      (z.passiveUnbound && t >= *z.passiveUnbound))
    return 1;
  return 0;
}

}  // namespace

ThermalZones::ThermalZones(std::filesystem::path root) : root_(std::move(root)) {}

int ThermalZones::level(double now) {
  const Scan s = scan(root_);
  if (s.zones.empty() && !s.evidenceSource) {
    zoneLevels_.clear();
    throttle_.clear();
    lastAt_ = now;
    return kUnknownThermalLevel;
  }
  int system = s.coolingLevel;
  std::map<std::string, int> levels;
  for (const auto& zone : s.zones) {
    int level = rawLevel(zone, zone.temp);
    if (const auto it = zoneLevels_.find(zone.name); it != zoneLevels_.end()) {
      // A level is left only once the temperature is below its threshold by the hysteresis.
      level = std::max(level, std::min(it->second, rawLevel(zone, zone.temp + zone.hysteresis)));
    }
    levels[zone.name] = level;
    system = std::max(system, level);
  }
  zoneLevels_ = std::move(levels);

  const double interval = lastAt_ ? now - *lastAt_ : 0;
  std::map<std::string, Throttle> counters;
  for (const auto& [cpu, values] : s.throttle) {
    counters[cpu] = Throttle{values.first, values.second};
    const auto it = throttle_.find(cpu);
    if (it == throttle_.end()) continue;  // new or replugged CPU: no delta yet
    if (values.first > it->second.count) system = std::max(system, 1);
    const std::int64_t throttledMs = values.second - it->second.totalMs;
    if (interval > 0 && throttledMs > 0 &&
        static_cast<double>(throttledMs) >= T::kThrottleShareSerious * interval * 1000.0)
      system = std::max(system, 2);
  }
  throttle_ = std::move(counters);
  lastAt_ = now;
  return system;
}

std::string ThermalZones::capability() const {
  const Scan s = scan(root_);
  if (!s.zones.empty())
    return "Available · kernel thermal zones (/sys/class/thermal)";
  if (s.evidenceSource)
    return "Available · CPU throttling evidence only; no thermal zone with usable trip points";
  if (!s.classExists) return "Not available · the kernel exposes no /sys/class/thermal";
  return "Not available · no thermal zone with a readable temperature and trip points";
}

}  // namespace tempyra
