#include "ui/logic/chart_data.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>

#include "ui/logic/text_format.h"

namespace tempyra {

namespace {

std::optional<double> parseTime(const EventRow& event) {
  const auto it = event.find("time");
  if (it == event.end() || it->second.empty()) return std::nullopt;
  const char* begin = it->second.c_str();
  char* end = nullptr;
  errno = 0;
  const double value = std::strtod(begin, &end);
  if (errno != 0 || end == begin || *end != '\0' || !std::isfinite(value)) return std::nullopt;
  return value;
}

}  // namespace

ThermalChartData thermalChartData(const std::vector<Reading>& readings,
                                  const std::vector<EventRow>& events) {
  ThermalChartData data;
  data.placeholder = readings.empty();
  std::map<std::string, std::size_t> lineOf;
  for (const Reading& r : readings) {
    if (r.state == ThermalState::unknown) continue;
    auto [it, added] = lineOf.try_emplace(r.segment, data.lines.size());
    if (added) data.lines.emplace_back();
    data.lines[it->second].push_back({r.timestamp, rawValue(r.state), r.state});
  }
  std::size_t taken = 0;
  for (const EventRow& e : events) {
    if (taken == kMaxPowerMarkers) break;
    const auto kind = e.find("kind");
    if (kind == e.end() || kind->second != "Power") continue;
    ++taken;
    if (const auto t = parseTime(e)) data.powerMarkers.push_back(*t);
  }
  return data;
}

TemperatureChartData temperatureChartData(const std::vector<Reading>& readings,
                                          TemperatureUnit unit) {
  const bool fahrenheit = unit == TemperatureUnit::fahrenheit;
  TemperatureChartData data;
  data.unit = fahrenheit ? "°F" : "°C";
  for (const Reading& r : readings) {
    for (const Metric& m : r.sensors) {
      const bool cpu = m.name == "CPU temperature";
      if ((!cpu && m.name != "GPU temperature") || !m.value || !std::isfinite(*m.value)) continue;
      const double v = fahrenheit ? *m.value * 9.0 / 5.0 + 32.0 : *m.value;
      (cpu ? data.cpu : data.gpu).push_back({r.timestamp, v});
      data.highest = data.highest ? std::max(*data.highest, v) : v;
    }
  }
  if (data.highest) {
    data.summary = "Highest displayed CPU/GPU sample: " + fixed(*data.highest, 1) + " " + data.unit;
  }
  return data;
}

}  // namespace tempyra
