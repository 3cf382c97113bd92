#include "providers/linux/hwmon_sensors.h"

#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <map>
#include <optional>

#include "providers/linux/sys_files.h"

namespace tempyra {
namespace {

// Plausible temperatures, exclusive, °C. Unconnected Super-I/O inputs read -128, 127 or 0.
constexpr double kMinCelsius = -40;
constexpr double kMaxCelsius = 150;
constexpr double kMaxRpm = 20000;

bool plausible(double celsius) {
  return celsius > kMinCelsius && celsius < kMaxCelsius && celsius != 0 && celsius != 127;
}

// "temp12_input" -> 12 for prefix "temp" and suffix "_input"; 0 when the name does not match.
int channelNumber(const std::string& name, std::string_view prefix, std::string_view suffix) {
  if (name.size() <= prefix.size() + suffix.size() || name.rfind(prefix, 0) != 0 ||
      name.compare(name.size() - suffix.size(), suffix.size(), suffix) != 0)
    return 0;
  const auto n = parseInteger(
      std::string_view(name).substr(prefix.size(), name.size() - prefix.size() - suffix.size()));
  return n && *n > 0 && *n < 100000 ? static_cast<int>(*n) : 0;
}

std::string printable(std::string text) {
  for (char& c : text)
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = ' ';
  return text;
}

bool contains(const std::string& s, std::string_view part) { return s.find(part) != std::string::npos; }

// Which sensors stand for a part, best first; the first tier with a readable value is used.
const std::vector<bool (*)(const std::string&, const std::string&)>& cpuTiers() {
  static const std::vector<bool (*)(const std::string&, const std::string&)> tiers = {
      [](const std::string& c, const std::string& l) { return c == "coretemp" && l.rfind("Package id", 0) == 0; },
      [](const std::string& c, const std::string& l) { return (c == "k10temp" || c == "zenpower") && l == "Tdie"; },
      [](const std::string& c, const std::string& l) { return (c == "k10temp" || c == "zenpower") && l == "Tctl"; },
      [](const std::string& c, const std::string&) { return contains(c, "cpu") && contains(c, "thermal"); },
      [](const std::string& c, const std::string& l) { return c == "coretemp" && l.rfind("Core", 0) == 0; },
  };
  return tiers;
}

bool gpuChip(const std::string& c) {
  return c == "amdgpu" || c == "radeon" || c == "nouveau" || c == "i915" || c == "xe";
}

const std::vector<bool (*)(const std::string&, const std::string&)>& gpuTiers() {
  static const std::vector<bool (*)(const std::string&, const std::string&)> tiers = {
      [](const std::string& c, const std::string& l) { return c == "amdgpu" && l == "edge"; },
      [](const std::string& c, const std::string&) { return gpuChip(c); },
  };
  return tiers;
}

const std::vector<bool (*)(const std::string&, const std::string&)>& batteryTiers() {
  static const std::vector<bool (*)(const std::string&, const std::string&)> tiers = {
      [](const std::string& c, const std::string&) {
        return c.rfind("BAT", 0) == 0 || c.rfind("battery", 0) == 0;
      },
  };
  return tiers;
}

}  // namespace

HwmonSensors::HwmonSensors(const std::filesystem::path& root) {
  const std::string base = underRoot(root, "sys/class/hwmon");
  const bool exists = ::access(base.c_str(), F_OK) == 0;
  std::map<std::string, int> seen;
  std::vector<std::string> chips;
  for (const auto& entry : listDirectory(base)) {
    if (entry.rfind("hwmon", 0) != 0) continue;
    // Legacy drivers keep their attributes in the device directory.
    std::string dir = base + "/" + entry;
    auto name = readAttribute(dir + "/name");
    if (!name) {
      dir += "/device";
      name = readAttribute(dir + "/name");
    }
    if (!name || name->empty()) continue;
    const std::string driver = printable(*name);
    std::string chip = driver;
    if (++seen[chip] > 1) chip += " (" + entry + ")";
    chips.push_back(chip);

    for (const auto& file : listDirectory(dir)) {
      if (const int n = channelNumber(file, "temp", "_input")) {
        const std::string prefix = dir + numbered("/temp", n);
        auto label = readAttribute(prefix + "_label");
        temps_.push_back(Channel{driver, chip, label && !label->empty() ? printable(*label) : numbered("temp", n),
                                 file, dir + "/" + file, prefix + "_fault"});
      } else if (const int f = channelNumber(file, "fan", "_input")) {
        const std::string prefix = dir + numbered("/fan", f);
        fans_.push_back(Channel{driver, chip, {}, file, dir + "/" + file, prefix + "_fault"});
      }
    }
  }
  anyChip_ = !chips.empty();
  if (chips.empty()) {
    status_ = exists ? "No hardware sensors exposed by the kernel (/sys/class/hwmon is empty)"
                     : "No hardware sensors exposed by the kernel (no /sys/class/hwmon)";
  } else if (temps_.empty()) {
    std::string list;
    for (const auto& chip : chips) list += (list.empty() ? "" : ", ") + chip;
    status_ = "hwmon · no temperature sensors among " + list;
  } else {
    status_ = "hwmon · read-only · kernel driver sensors";
  }
}

std::vector<Metric> HwmonSensors::sample(double at) {
  std::vector<Metric> sensors;
  struct Value {
    const Channel* channel;
    double celsius;
  };
  std::vector<Value> values;
  for (const auto& channel : temps_) {
    if (readInteger(channel.fault) == 1) continue;  // the driver says the input is not to be trusted
    const auto milli = readInteger(channel.input);
    if (!milli) continue;
    const double celsius = static_cast<double>(*milli) / 1000.0;
    if (!plausible(celsius)) continue;
    values.push_back({&channel, celsius});
    sensors.emplace_back("Sensor " + channel.chip + " " + channel.label, celsius, "°C",
                         "hwmon / " + channel.chip + " " + channel.file + " · driver-reported", at,
                         "Measured");
  }

  struct Group {
    const char* name;
    const char* part;
    const std::vector<bool (*)(const std::string&, const std::string&)>& tiers;
  };
  const Group groups[] = {{"CPU temperature", "CPU", cpuTiers()},
                          {"GPU temperature", "GPU", gpuTiers()},
                          {"Battery temperature", "battery", batteryTiers()}};
  for (const auto& group : groups) {
    double sum = 0;
    std::string names;
    int count = 0;
    for (const auto& tier : group.tiers) {
      for (const auto& v : values) {
        if (!tier(v.channel->driver, v.channel->label)) continue;
        sum += v.celsius;
        names += (count ? ", " : "") + v.channel->chip + " " + v.channel->label;
        ++count;
      }
      if (count > 0) break;
    }
    Metric metric = count == 0
        ? Metric(group.name, std::nullopt, "°C",
                 anyChip_ ? status_ + " · no readable " + group.part +
                                " sensor among the known drivers"
                          : status_,
                 at, kNotAvailable)
        : Metric(group.name, sum / count, "°C",
                 "hwmon · " + std::string(count == 1 ? "" : "mean of ") + names, at,
                 count == 1 ? "Measured" : "Derived · mean of driver-labelled sensors");
    sensors.insert(sensors.begin(), std::move(metric));
  }

  if (fans_.empty()) {
    sensors.emplace_back("Fan speed", std::nullopt, "RPM",
                         anyChip_ ? "No fan sensor exposed by the kernel (hwmon)" : status_,
                         at, kNotAvailable);
    return sensors;
  }
  int index = 0;
  for (const auto& fan : fans_) {
    std::optional<double> rpm;
    if (readInteger(fan.fault) != 1) {
      if (const auto value = readInteger(fan.input); value && *value >= 0 && *value <= kMaxRpm)
        rpm = static_cast<double>(*value);
    }
    sensors.emplace_back(numbered("Fan ", ++index), rpm, "RPM",
                         "hwmon / " + fan.chip + " " + fan.file + " · actual speed", at, "Measured");
  }
  return sensors;
}

}  // namespace tempyra
