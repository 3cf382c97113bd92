#include "ui/logic/chart_data.h"

#include <algorithm>
#include <cmath>

#include "ui/logic/text_format.h"

namespace tempyra {

ThermalChartData thermalChartData(const std::vector<Reading>& readings,
                                  const std::vector<Event>& events) {
  ThermalChartData data;
  data.placeholder = readings.empty();
  std::map<std::string, std::size_t> lineOf;
  for (const Reading& r : readings) {
    if (r.state == ThermalState::unknown) continue;
    auto [it, added] = lineOf.try_emplace(r.segment, data.lines.size());
    if (added) data.lines.emplace_back();
    data.lines[it->second].push_back({r.timestamp, rawValue(r.state), r.state});
  }
  for (const Event& e : events) {
    if (data.powerMarkers.size() == kMaxPowerMarkers) break;
    if (e.kind == EventKind::power) data.powerMarkers.push_back(e.time);
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
      const bool cpu = m.kind == MetricKind::cpuTemperature;
      if ((!cpu && m.kind != MetricKind::gpuTemperature) || !m.value || !std::isfinite(*m.value)) {
        continue;
      }
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
