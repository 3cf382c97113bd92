#pragma once
// A heat episode: a stretch of monitoring at "Fair" or above, with what the machine did during
// it. Computed by the history from stored readings.
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "core/thermal_state.h"

namespace tempyra {

struct Episode {
  // A temperature's highest value and the time of the reading that showed it.
  struct Peak {
    double value = 0;  // °C
    double at = 0;     // seconds since 1970 UTC
    friend bool operator==(const Peak&, const Peak&) = default;
  };
  // A process name's CPU-seconds during the episode and their average share of one core.
  struct Process {
    std::string name;
    double cpuSeconds = 0;
    double share = 0;  // percent of one core over the episode's duration
    friend bool operator==(const Process&, const Process&) = default;
  };

  double start = 0;  // time of the first reading at "Fair" or above
  double end = 0;    // start plus the counted intervals; equals start for a lone reading
  ThermalState highest = ThermalState::fair;
  std::map<ThermalState, double> seconds;  // per state reached; the values add up to duration()
  std::optional<Peak> cpuTemperature;
  std::optional<Peak> gpuTemperature;
  std::optional<double> meanCpuLoad;      // percent, all cores, weighted by interval
  std::vector<std::string> powerSources;  // in the order first seen
  std::vector<Process> processes;         // the busiest three, most CPU-seconds first
  bool brief = false;                     // under a minute at its highest state

  double duration() const { return end - start; }

  friend bool operator==(const Episode&, const Episode&) = default;
};

}  // namespace tempyra
