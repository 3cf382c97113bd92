#pragma once
// What the two history charts draw, prepared from the monitor's history so the views only
// place marks. Time points are seconds since 1970 UTC.
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "app/preferences.h"
#include "core/event.h"
#include "core/reading.h"

namespace tempyra {

inline constexpr std::size_t kMaxPowerMarkers = 40;

struct StatePoint {
  double time = 0;
  int level = 0;  // the state's code, 0 (nominal) to 3 (critical)
  ThermalState state = ThermalState::nominal;
};

struct ThermalChartData {
  bool placeholder = true;  // no readings at all: show "No readings yet" instead of a chart
  // One line per monitoring segment, in order of first appearance; lines are never joined.
  std::vector<std::vector<StatePoint>> lines;
  std::vector<double> powerMarkers;  // times of the newest power events, newest first
};

// `readings` oldest first; `events` newest first. Unknown states are left out (never drawn at
// a made-up level). Of the power events the first 40 are drawn.
ThermalChartData thermalChartData(const std::vector<Reading>& readings,
                                  const std::vector<Event>& events);

struct TemperaturePoint {
  double time = 0;
  double value = 0;  // in the chosen unit
  friend bool operator==(const TemperaturePoint&, const TemperaturePoint&) = default;
};

struct TemperatureChartData {
  std::vector<TemperaturePoint> cpu;  // the CPU group mean
  std::vector<TemperaturePoint> gpu;  // the GPU group mean
  std::string unit;                   // "°F" or "°C"
  std::optional<double> highest;      // absent when nothing is plotted
  // "Highest displayed CPU/GPU sample: 122.0 °F"; empty when nothing is plotted.
  std::string summary;
};

// Only the CPU and GPU group means with a finite value
// are plotted; Fahrenheit converts as value × 9 ÷ 5 + 32.
TemperatureChartData temperatureChartData(const std::vector<Reading>& readings,
                                          TemperatureUnit unit);

}  // namespace tempyra
