#include "providers/linux/hwmon_sensors.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <optional>
#include <unordered_map>
#include <unordered_set>

#include "providers/linux/runtime_pm.h"
#include "providers/linux/sys_text.h"
#include "providers/linux/thermal_zones.h"

namespace tempyra {
namespace {

// Plausible temperatures, exclusive, °C (the same window the thermal zones use).
constexpr double kMinCelsius = -40;
constexpr double kMaxCelsius = 150;
constexpr std::int64_t kMaxRpm = 20000;

// Values a driver reports for an input that measures nothing. They are dropped, not shown:
// they are not readings of anything. A value outside this table is a reading, 0 °C included.
struct Placeholders {
  const char* driverPrefix;
  std::vector<std::int64_t> milli;
  bool superIo = false;  // a Super-I/O chip: idle fan headers and SB-TSI/PECI channels too
};
const Placeholders kPlaceholders[] = {
    // Super-I/O chips: unconnected thermistor inputs read -128 or 127 °C, unused PECI/PCH
    // channels (PCH_* on AMD boards) read 0.
    {"nct6", {-128000, 127000, 0}, true},
    {"nct7", {-128000, 127000, 0}, true},
    {"it8", {-128000, 127000, 0}, true},
    {"w83", {-128000, 127000, 0}, true},
    {"f718", {-128000, 127000, 0}, true},
    // The Apple controller: a key with no sensor behind it reads -127 °C; some keys report a
    // constant -25 °C.
    {"applesmc", {-127000, -25000}},
    // ThinkPad embedded controllers list sixteen slots whatever the model fits; a slot without
    // a sensor reads 0 °C (temp2, 4, 8, 10, 11, 13-16 on a ThinkPad 11e), which no part of a
    // running machine does.
    {"thinkpad", {0}},
};

const Placeholders* placeholdersOf(const std::string& driver) {
  for (const auto& p : kPlaceholders)
    if (driver.rfind(p.driverPrefix, 0) == 0) return &p;
  return nullptr;
}

bool superIo(const std::string& driver) {
  const Placeholders* p = placeholdersOf(driver);
  return p && p->superIo;
}

bool startsWith(std::string_view s, std::string_view prefix) { return s.substr(0, prefix.size()) == prefix; }

std::string lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

bool contains(const std::string& s, std::string_view part) { return s.find(part) != std::string::npos; }

bool gpuDriver(const std::string& driver) {
  return driver == "amdgpu" || driver == "radeon" || driver == "nouveau" || driver == "i915" ||
         driver == "xe";
}

// One temperature that may stand for a part.
struct Candidate {
  std::string driver;  // hwmon driver; empty for a thermal zone
  std::string label;   // channel label or zone type
  bool zone = false;
  bool superIo = false;
  std::string text;  // how sources name it: "coretemp Package id 0", "thermal_zone3 (x86_pkg_temp)"
  double celsius = 0;
  bool nvml = false;   // an NVIDIA GPU read through its management library
  std::string detail;  // thresholds and the like, named when it stands alone
};

using Tier = bool (*)(const Candidate&);

bool smcKey(const Candidate& c) { return c.driver == "applesmc" && c.label.size() == 4; }
bool digitAt(const std::string& s, std::size_t i) {
  return i < s.size() && std::isdigit(static_cast<unsigned char>(s[i]));
}

struct Group {
  MetricKind kind;
  const char* metric;
  const char* part;
  std::vector<Tier> tiers;
  std::size_t controllerTiers;  // the last tiers, which read controller keys
};

const Group& cpuGroup() {
  static const Group group{MetricKind::cpuTemperature, "CPU temperature", "CPU", {
      [](const Candidate& c) { return c.driver == "coretemp" && (startsWith(c.label, "Package id") || startsWith(c.label, "Physical id")); },
      [](const Candidate& c) { return c.driver == "coretemp" && startsWith(c.label, "Core"); },
      [](const Candidate& c) { return (c.driver == "k10temp" || c.driver == "zenpower") && c.label == "Tdie"; },
      // k10temp on family 15h/16h parts has one unlabelled channel, which is Tctl.
      [](const Candidate& c) { return (c.driver == "k10temp" || c.driver == "zenpower") && (c.label == "Tctl" || c.label == "temp1"); },
      [](const Candidate& c) { const std::string n = lower(c.zone ? c.label : c.driver); return contains(n, "cpu") && contains(n, "thermal"); },
      [](const Candidate& c) { return c.zone && c.label == "x86_pkg_temp"; },
      // SB-TSI on AMD boards and PECI on Intel ones carry the CPU's own reading.
      [](const Candidate& c) { return c.superIo && (startsWith(c.label, "TSI") || (startsWith(c.label, "PECI Agent") && !contains(c.label, "Calibration"))); },
      [](const Candidate& c) { return smcKey(c) && (c.label == "TCXC" || c.label == "TCXc"); },  // PECI
      [](const Candidate& c) { return smcKey(c) && startsWith(c.label, "TC") && digitAt(c.label, 2) && c.label[3] != 'P'; },
      [](const Candidate& c) { return smcKey(c) && startsWith(c.label, "TC") && digitAt(c.label, 2) && c.label[3] == 'P'; },  // proximity
  }, 3};
  return group;
}

const Group& gpuGroup() {
  static const Group group{MetricKind::gpuTemperature, "GPU temperature", "GPU", {
      [](const Candidate& c) { return c.driver == "amdgpu" && c.label == "edge"; },
      [](const Candidate& c) { return gpuDriver(c.driver); },
      [](const Candidate& c) { return c.nvml; },
      [](const Candidate& c) { return c.zone && contains(lower(c.label), "gpu"); },
      [](const Candidate& c) { return smcKey(c) && (c.label == "TCGC" || c.label == "TCGc"); },  // PECI
      [](const Candidate& c) { return smcKey(c) && startsWith(c.label, "TG") && c.label[3] != 'P'; },
      [](const Candidate& c) { return smcKey(c) && startsWith(c.label, "TG") && c.label[3] == 'P'; },  // proximity
  }, 3};
  return group;
}

const Group& batteryGroup() {
  static const Group group{MetricKind::batteryTemperature, "Battery temperature", "battery", {
      // A power supply with a temperature registers a hwmon chip named after itself.
      [](const Candidate& c) { return !c.zone && (startsWith(c.driver, "BAT") || startsWith(c.driver, "battery")); },
      [](const Candidate& c) { return !c.zone && !smcKey(c) && contains(lower(c.label), "battery"); },
      [](const Candidate& c) { return c.zone && startsWith(lower(c.label), "battery"); },
      [](const Candidate& c) { return smcKey(c) && startsWith(c.label, "TB"); },
  }, 1};
  return group;
}

// The group value from the first tier with a readable candidate; absent when none has one.
std::optional<Metric> groupMetric(const Group& group, const std::vector<Candidate>& candidates, double at) {
  for (std::size_t t = 0; t < group.tiers.size(); ++t) {
    double sum = 0;
    std::string names;
    int count = 0;
    const Candidate* last = nullptr;
    for (const auto& c : candidates) {
      if (!group.tiers[t](c)) continue;
      sum += c.celsius;
      names += (count ? ", " : "") + c.text;
      last = &c;
      ++count;
    }
    if (count == 0) continue;
    const bool controller = t + group.controllerTiers >= group.tiers.size();
    std::string source = last->zone ? "thermal zone · " : last->nvml ? "NVML · " : "hwmon · ";
    if (count > 1) source += "mean of ";
    source += names;
    if (count == 1 && !last->detail.empty()) source += " · " + last->detail;
    if (controller) source += " · controller keys; mapping undocumented";
    const char* quality = controller ? "Derived · undocumented group mapping"
                          : count > 1 ? "Derived · mean of driver-labelled sensors"
                                      : "Measured";
    return Metric(group.kind, group.metric, sum / count, "°C", source, at, quality);
  }
  return std::nullopt;
}

// "Right side" -> "Right side fan"; "CPU Fan" stays.
std::string fanName(const std::string& label) {
  return contains(lower(label), "fan") ? label : label + " fan";
}

// Gives every item whose name (`of`) occurs more than once the suffix `suffix(item)`.
template <class Item, class Of, class Suffix>
void disambiguate(std::vector<Item>& items, Of of, Suffix suffix) {
  std::unordered_map<std::string, int> seen;
  for (auto& item : items) ++seen[of(item)];
  for (auto& item : items)
    if (seen[of(item)] > 1) of(item) += suffix(item);
}

}  // namespace

HwmonSensors::HwmonSensors(const std::filesystem::path& root, std::shared_ptr<ThermalZones> zones,
                           SysRoot::Resolution resolution, std::unique_ptr<NvidiaGpus> nvidia)
    : root_(root, resolution), zones_(std::move(zones)), nvidia_(std::move(nvidia)) {
  if (!nvidia_) nvidia_ = std::make_unique<NvidiaGpus>(root, NvmlLibrary::kName, NvidiaGpus::Log(), resolution);
  std::vector<std::string> zoneTypes;
  if (zones_) {
    for (const auto& entry : root_.list("sys/class/thermal")) {
      if (!channelNumber(entry, "thermal_zone")) continue;
      anyZone_ = true;
      if (auto type = root_.attribute("sys/class/thermal/" + entry + "/type").ok()) {
        std::replace(type->begin(), type->end(), '-', '_');
        zoneTypes.push_back(std::move(*type));
      }
    }
  }
  discover(zoneTypes);
  status_ = baseStatus_;
  batteryStatus_ = status_;
}

void HwmonSensors::discover(const std::vector<std::string>& zoneTypes) {
  const std::string base = "sys/class/hwmon";
  const bool exists = root_.isDirectory(base);
  const auto entries = root_.list(base);
  std::size_t unnamed = 0;
  for (const auto& entry : entries) {
    if (!channelNumber(entry, "hwmon")) continue;
    // Legacy drivers (applesmc among them) keep their attributes in the device directory.
    Chip chip;
    chip.hwmon = entry;
    chip.dir = base + "/" + entry;
    auto name = root_.attribute(chip.dir + "/name").ok();
    if (!name) {
      chip.dir += "/device";
      name = root_.attribute(chip.dir + "/name").ok();
    }
    chip.driver = name ? cleanText(*name) : std::string();
    if (chip.driver.empty()) {
      ++unnamed;
      continue;
    }
    const std::string device = base + "/" + entry + "/device";
    chip.device = cleanText(root_.linkBase(device));
    // The thermal core mirrors each zone type as a hwmon chip; the zones are shown themselves,
    // with their trips.
    if (zones_ && (startsWith(chip.device, "thermal_zone") ||
                   (chip.device.empty() &&
                    std::find(zoneTypes.begin(), zoneTypes.end(), chip.driver) != zoneTypes.end())))
      continue;
    std::string pci = pciAddress(chip.device) ? device : std::string();
    // A class device (nvme0) is numbered at boot; its parent's bus address is not.
    if (root_.isLink(device + "/device")) {
      const std::string parent = cleanText(root_.linkBase(device + "/device"));
      if (!parent.empty()) chip.device = parent;
      if (pciAddress(parent)) pci = device + "/device";
    }
    chip.pciDevice = pci;
    chip.superIo = superIo(chip.driver);
    chip.gpu = gpuDriver(chip.driver);
    chips_.push_back(std::move(chip));
  }
  // An order that does not depend on the hwmonN numbers handed out at boot.
  std::stable_sort(chips_.begin(), chips_.end(), [](const Chip& a, const Chip& b) {
    if (a.driver != b.driver) return a.driver < b.driver;
    if (a.device != b.device) return naturalLess(a.device, b.device);
    return naturalLess(a.hwmon, b.hwmon);
  });
  std::unordered_map<std::string, std::vector<Chip*>> byDriver;
  for (auto& chip : chips_) byDriver[chip.driver].push_back(&chip);
  for (auto& chip : chips_) chip.name = chip.driver;
  for (auto& [driver, group] : byDriver) {
    if (group.size() < 2) continue;
    std::unordered_set<std::string> devices;
    for (const Chip* chip : group)
      if (!chip->device.empty()) devices.insert(chip->device);
    const bool distinct = devices.size() == group.size();
    for (std::size_t i = 0; i < group.size(); ++i)
      group[i]->name = driver + " " + (distinct ? group[i]->device : numbered("", static_cast<std::int64_t>(i) + 1));
  }

  std::vector<Channel> temps, fans;
  for (std::size_t c = 0; c < chips_.size(); ++c) {
    const Chip& chip = chips_[c];
    const auto files = root_.list(chip.dir);
    const std::unordered_set<std::string> present(files.begin(), files.end());
    for (const auto& file : files) {
      const bool temp = channelNumber(file, "temp", "_input").has_value();
      if (!temp && !channelNumber(file, "fan", "_input")) continue;
      const std::string prefix = file.substr(0, file.size() - 6);  // "temp1"
      Channel channel{c, cleanText(root_.attribute(chip.dir + "/" + prefix + "_label").ok().value_or("")), file, {},
                      chip.dir + "/" + file, present.count(prefix + "_fault") ? chip.dir + "/" + prefix + "_fault" : ""};
      if (temp) {
        if (channel.label.empty()) channel.label = prefix;
        channel.name = "Sensor " + chip.name + " " + channel.label;
        temps.push_back(std::move(channel));
      } else {
        fans.push_back(std::move(channel));
      }
    }
  }
  disambiguate(temps, [](Channel& ch) -> std::string& { return ch.name; },
               [](const Channel& ch) { return " (" + ch.file.substr(0, ch.file.size() - 6) + ")"; });
  for (std::size_t i = 0; i < fans.size(); ++i)
    fans[i].name = fans[i].label.empty() ? numbered("Fan ", static_cast<std::int64_t>(i) + 1) : fanName(fans[i].label);
  disambiguate(fans, [](Channel& ch) -> std::string& { return ch.name; },
               [this](const Channel& ch) { return " (" + chips_[ch.chip].name + ")"; });

  // A bounded reading: the channels that may stand for a part first, then the rest in order.
  if (temps.size() + fans.size() > kMaxSensorMetrics) {
    auto standsForAPart = [&](const Channel& ch) {
      const Candidate c{chips_[ch.chip].driver, ch.label, false, chips_[ch.chip].superIo, {}, 0, false, {}};
      for (const Group* g : {&cpuGroup(), &gpuGroup(), &batteryGroup()})
        for (const Tier tier : g->tiers)
          if (tier(c)) return true;
      return false;
    };
    const std::size_t total = temps.size() + fans.size();
    std::vector<bool> keep(temps.size(), false);
    std::size_t budget = kMaxSensorMetrics;
    for (std::size_t i = 0; i < temps.size() && budget > 0; ++i)
      if (standsForAPart(temps[i])) keep[i] = true, --budget;
    const std::size_t fanCount = std::min(fans.size(), budget / 2);
    budget -= fanCount;
    for (std::size_t i = 0; i < temps.size() && budget > 0; ++i)
      if (!keep[i]) keep[i] = true, --budget;
    std::vector<Channel> kept;
    for (std::size_t i = 0; i < temps.size(); ++i)
      if (keep[i]) kept.push_back(std::move(temps[i]));
    temps = std::move(kept);
    fans.resize(std::min(fans.size(), fanCount + budget));
    channelsDropped_ = total - temps.size() - fans.size();
  }
  temps_ = std::move(temps);
  fans_ = std::move(fans);

  if (chips_.empty()) {
    if (!exists) baseStatus_ = "No hwmon sensors (the kernel exposes no /sys/class/hwmon)";
    else if (entries.empty()) baseStatus_ = "No hwmon sensors (/sys/class/hwmon is empty)";
    else if (unnamed > 0) baseStatus_ = "No hwmon sensors (" + std::to_string(unnamed) + " hwmon entries without a driver name)";
    else baseStatus_ = "No hwmon sensors (only thermal-zone mirrors in /sys/class/hwmon)";
  } else if (temps_.empty() && fans_.empty()) {
    std::string list;
    for (const auto& chip : chips_) list += (list.empty() ? "" : ", ") + chip.name;
    baseStatus_ = "hwmon · no temperature or fan sensors among " + list;
  } else {
    baseStatus_ = std::string(anyZone_ ? "hwmon and thermal zones" : "hwmon") + " · read-only · kernel driver sensors";
  }
  if (anyZone_ && chips_.empty()) baseStatus_ += " · thermal zones only";
}

std::vector<Metric> HwmonSensors::sample(double at) {
  std::vector<Metric> sensors;
  std::vector<Candidate> candidates;
  // The one rule for every PCI device, whatever reads it: only an awake device is read.
  std::vector<std::string> asleep(chips_.size());
  std::string asleepGpu;
  for (std::size_t c = 0; c < chips_.size(); ++c) {
    if (chips_[c].pciDevice.empty()) continue;
    const DevicePower power = devicePower(root_, chips_[c].pciDevice);
    if (power.readable()) continue;
    asleep[c] = power.state == DevicePower::State::asleep ? "device asleep; not woken to read it"
                                                          : power.why + "; not read this sample";
    if (chips_[c].gpu && asleepGpu.empty())
      asleepGpu = power.state == DevicePower::State::asleep ? "GPU asleep · " + chips_[c].name + " not woken to read it"
                                                            : chips_[c].name + " not read · " + power.why;
  }

  for (const auto& channel : temps_) {
    const Chip& chip = chips_[channel.chip];
    const std::string source = "hwmon / " + chip.name + " " + channel.file;
    auto unavailable = [&](const std::string& why) {
      sensors.emplace_back(MetricKind::sensor, channel.name, std::nullopt, "°C", source + " · " + why, at, kNotAvailable);
    };
    if (!asleep[channel.chip].empty()) {
      unavailable(asleep[channel.chip]);
      continue;
    }
    if (!channel.fault.empty() && root_.number(channel.fault).ok() == 1) {
      unavailable("the driver flags a fault");
      continue;
    }
    const auto milli = root_.number(channel.input);
    if (!milli) {
      unavailable(milli.error());
      continue;
    }
    if (const Placeholders* p = placeholdersOf(chip.driver);
        p && std::find(p->milli.begin(), p->milli.end(), *milli) != p->milli.end())
      continue;  // an input with nothing connected: no sensor to show
    const double celsius = static_cast<double>(*milli) / 1000.0;
    if (!(celsius > kMinCelsius && celsius < kMaxCelsius)) {
      unavailable("reads " + celsiusText(celsius) + ", out of range");
      continue;
    }
    candidates.push_back({chip.driver, channel.label, false, chip.superIo, chip.name + " " + channel.label, celsius, false, {}});
    sensors.emplace_back(MetricKind::sensor, channel.name, celsius, "°C", source + " · driver-reported", at, "Measured");
  }

  const NvidiaGpus::Sample nvidia = nvidia_->sample(at);
  sensors.insert(sensors.end(), nvidia.sensors.begin(), nvidia.sensors.end());
  for (const auto& t : nvidia.temperatures)
    candidates.push_back({"nvidia", {}, false, false, t.name, t.celsius, true, t.detail});

  std::size_t zonesDropped = 0;
  if (zones_) {
    const std::size_t room = kMaxSensorMetrics - std::min(kMaxSensorMetrics, temps_.size() + fans_.size());
    std::size_t shown = 0;
    for (const auto& zone : zones_->latest().zones) {
      if (shown == room) {
        ++zonesDropped;
        continue;
      }
      ++shown;
      std::string source = zone.dir + " · ";
      if (zone.celsius && zone.trip) source += tripText(*zone.trip);
      else source += zone.problem.empty() ? "no trip point above" : zone.problem;
      sensors.emplace_back(MetricKind::zone, "Zone " + zone.label, zone.celsius, "°C", source, at, "Measured");
      if (zone.celsius)
        candidates.push_back({{}, zone.type, true, false, zone.dir + " (" + zone.type + ")", *zone.celsius, false, {}});
    }
  }

  const bool anySource = !chips_.empty() || !nvidia_->empty() || (zones_ && !zones_->latest().zones.empty());
  for (const Group* group : {&cpuGroup(), &gpuGroup(), &batteryGroup()}) {
    auto metric = groupMetric(*group, candidates, at);
    if (!metric) {
      std::string why = baseStatus_;
      if (group == &gpuGroup() && !asleepGpu.empty())
        why = asleepGpu;
      else if (group == &gpuGroup() && !nvidia.why.empty())
        why = nvidia.why;
      else if (anySource)
        why = std::string("no readable ") + group->part + " sensor among the known drivers";
      metric = Metric(group->kind, group->metric, std::nullopt, "°C", why, at, kNotAvailable);
    }
    if (group == &batteryGroup())
      batteryStatus_ = metric->value ? metric->source
                                     : "Not available · no readable battery temperature sensor";
    sensors.insert(sensors.begin(), std::move(*metric));
  }

  std::size_t fansShown = 0;
  for (auto& fan : fans_) {
    const Chip& chip = chips_[fan.chip];
    std::string source = "hwmon / " + chip.name + " " + fan.file + " · ";
    std::optional<double> rpm;
    if (!asleep[fan.chip].empty()) {
      source += asleep[fan.chip];
    } else if (!fan.fault.empty() && root_.number(fan.fault).ok() == 1) {
      source += "the driver flags a fault";
    } else if (const auto value = root_.number(fan.input); !value) {
      source += value.error();
    } else if (*value < 0 || *value > kMaxRpm) {
      source += "reads " + std::to_string(*value) + " RPM, out of range";
    } else {
      rpm = static_cast<double>(*value);
      source += "actual speed";
    }
    // A Super-I/O header reads 0 whether a fan is stopped or none is plugged in; one that has
    // never turned is most likely empty.
    if (chip.superIo && rpm && *rpm > 0) fan.spun = true;
    if (chip.superIo && !fan.spun) continue;
    sensors.emplace_back(MetricKind::fan, fan.name, rpm, "RPM", source, at, "Measured");
    ++fansShown;
  }
  if (fansShown == 0) {
    const char* why = chips_.empty()     ? nullptr
                      : !fans_.empty()   ? "No fan reported turning (hwmon fan headers read 0)"
                                         : "No fan sensor exposed by the kernel (hwmon)";
    sensors.emplace_back(MetricKind::fan, "Fan speed", std::nullopt, "RPM", why ? std::string(why) : baseStatus_, at,
                         kNotAvailable);
  }

  status_ = baseStatus_;
  if (!nvidia_->status().empty()) status_ += " · " + nvidia_->status();
  if (channelsDropped_ + zonesDropped > 0)
    status_ += " · " + std::to_string(channelsDropped_ + zonesDropped) + " more sensors not shown (at most " +
               std::to_string(kMaxSensorMetrics) + " per reading)";
  return sensors;
}

std::string HwmonSensors::fanSummary(int fansWithValue) const {
  return std::to_string(fansWithValue) + " fan(s) reported by hwmon";
}

}  // namespace tempyra
