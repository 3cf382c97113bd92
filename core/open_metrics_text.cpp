#include "core/open_metrics_text.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <set>
#include <string_view>
#include <vector>

#include "core/utf8_text.h"

namespace tempyra {

namespace {

constexpr std::string_view kEllipsis = "\u2026";

struct Sample {
  std::string label;  // escaped label value; empty for a family without labels
  double value;
};

struct Family {
  std::string_view name, help, labelName;
  std::vector<Sample> samples;
};

// Shortest decimal that reads back to the same double; what Go's ParseFloat accepts.
std::string number(double value) {
  char buf[64];
  const auto end = std::to_chars(buf, buf + sizeof buf, value).ptr;
  return std::string(buf, end);
}

// The percentage as a ratio whose shortest decimal is the percentage's own shifted by two
// places (18.4 % is 0.184, where a plain division would give 0.18399999999999997).
double ratio(double percent) {
  char buf[64];
  auto r = std::to_chars(buf, buf + sizeof buf - 8, percent, std::chars_format::scientific);
  const std::string_view text(buf, static_cast<std::size_t>(r.ptr - buf));
  const std::size_t e = text.find('e');
  const int exponent = std::atoi(std::string(text.substr(e + 1)).c_str()) - 2;
  const std::string shifted = std::string(text.substr(0, e)) + "e" + std::to_string(exponent);
  double out = percent / 100;
  std::from_chars(shifted.data(), shifted.data() + shifted.size(), out);
  return out;
}

// At most `limit` bytes of valid UTF-8, cut before a character; a cut text ends in "…".
std::string bounded(std::string text, std::size_t limit) {
  if (text.size() <= limit) return text;
  std::size_t cut = limit - kEllipsis.size();
  while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) --cut;
  text.resize(cut);
  return text += kEllipsis;
}

std::string escaped(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (const char c : text) {
    if (c == '\\') out += "\\\\";
    else if (c == '"') out += "\\\"";
    else if (c == '\n') out += "\\n";
    else out.push_back(c);
  }
  return out;
}

// Label values of one family, made distinct: a repeated value gets " (2)", " (3)" … in the
// order the reading lists them, still within the byte bound.
class Labels {
 public:
  std::string add(const std::string& name) {
    const std::string base = bounded(validUtf8(name), kMaxLabelBytes);
    std::string value = base;
    for (int n = 2; !seen_.insert(value).second; ++n) {
      const std::string suffix = " (" + std::to_string(n) + ")";
      value = bounded(base, kMaxLabelBytes - suffix.size()) + suffix;
    }
    return escaped(value);
  }

 private:
  std::set<std::string> seen_;
};

bool present(const std::optional<double>& value) { return value && std::isfinite(*value); }

void append(std::string& out, const Family& family) {
  if (family.samples.empty()) return;
  out.append("# HELP ").append(family.name).append(" ").append(family.help).append("\n");
  out.append("# TYPE ").append(family.name).append(" gauge\n");
  for (const Sample& s : family.samples) {
    out.append(family.name);
    if (!family.labelName.empty())
      out.append("{").append(family.labelName).append("=\"").append(s.label).append("\"}");
    out.append(" ").append(number(s.value)).append("\n");
  }
}

constexpr std::string_view stateLabel(ThermalState s) {
  switch (s) {
    case ThermalState::nominal: return "nominal";
    case ThermalState::fair: return "fair";
    case ThermalState::serious: return "serious";
    case ThermalState::critical: return "critical";
    case ThermalState::unknown: break;
  }
  return "unknown";
}

}  // namespace

std::string openMetricsText(const Reading& reading) {
  Family pressure{"tempyra_thermal_pressure",
                  "Thermal pressure reported by the operating system: 1 for the current state, "
                  "0 for the others.",
                  "state",
                  {}};
  for (const ThermalState s : kAllThermalStates)
    pressure.samples.push_back({std::string(stateLabel(s)), s == reading.state ? 1.0 : 0.0});

  Family load{"tempyra_cpu_load_ratio",
              "Share of all processors busy since the previous reading (0 to 1).", "", {}};
  if (present(reading.cpu.value)) load.samples.push_back({"", ratio(*reading.cpu.value)});

  Family speedLimit{"tempyra_cpu_speed_limit_ratio",
                    "CPU speed limit set by the operating system (1 is no limit); a limit, not "
                    "measured throttling.",
                    "", {}};
  Family schedulerLimit{"tempyra_cpu_scheduler_limit_ratio",
                        "CPU scheduler limit set by the operating system (1 is no limit).", "",
                        {}};
  Family temperatures{"tempyra_temperature_celsius",
                      "Temperature of each sensor that has a value, in degrees Celsius.", "sensor",
                      {}};
  Family fans{"tempyra_fan_speed_rpm", "Speed of each fan that has a value, in revolutions per "
              "minute.", "fan", {}};
  Labels sensorNames, fanNames;
  for (const Metric& m : reading.sensors) {
    if (!present(m.value)) continue;
    if (m.unit == "\u00B0C") {
      temperatures.samples.push_back({sensorNames.add(m.name), *m.value});
    } else if (m.unit == "RPM") {
      fans.samples.push_back({fanNames.add(m.name), *m.value});
    } else if (m.kind == MetricKind::cpuSpeedLimit && speedLimit.samples.empty()) {
      speedLimit.samples.push_back({"", ratio(*m.value)});
    } else if (m.kind == MetricKind::cpuSchedulerLimit && schedulerLimit.samples.empty()) {
      schedulerLimit.samples.push_back({"", ratio(*m.value)});
    }
  }

  Family source{"tempyra_power_source",
                "Power source: 1 for the current one (ac, battery or unknown), 0 for the others.",
                "source",
                {}};
  const PowerSource power = reading.power.source;
  const std::string_view current = power == PowerSource::ac        ? "ac"
                                   : power == PowerSource::battery ? "battery"
                                                                   : "unknown";
  for (const std::string_view s : {"ac", "battery", "unknown"})
    source.samples.push_back({std::string(s), s == current ? 1.0 : 0.0});

  Family charge{"tempyra_battery_charge_ratio", "Battery charge (0 to 1).", "", {}};
  if (present(reading.power.battery)) charge.samples.push_back({"", ratio(*reading.power.battery)});
  Family charging{"tempyra_battery_charging", "1 while the battery charges, 0 while it does not.",
                  "", {}};
  if (reading.power.charging) charging.samples.push_back({"", *reading.power.charging ? 1.0 : 0.0});

  Family stamp{"tempyra_reading_timestamp_seconds",
               "When the reading was taken, in seconds since 1970 UTC; time() minus this is its "
               "age.",
               "", {}};
  if (std::isfinite(reading.timestamp)) stamp.samples.push_back({"", reading.timestamp});

  std::string out;
  out.reserve(4096);
  for (const Family* f : {&pressure, &load, &speedLimit, &schedulerLimit, &temperatures, &fans,
                          &source, &charge, &charging, &stamp}) {
    append(out, *f);
  }
  out += "# EOF\n";
  return out;
}

}  // namespace tempyra
