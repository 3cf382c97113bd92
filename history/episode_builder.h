#pragma once
// Groups stored readings, oldest first, into heat episodes.
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/episode.h"
#include "core/thermal_state.h"

namespace tempyra {

// Each reading owns the interval up to the next reading, counted only when that next reading
// belongs to the same segment and comes 0 to 90 seconds later: the rule of the time-per-state
// figures, so the per-state seconds of all episodes of a range add up to the fair, serious and
// critical time that HistoryStore::durations gives for it. An episode is a maximal run of
// readings at "Fair" or above linked by counted intervals; a reading below "Fair" (or of unknown
// state), a longer gap or a new segment ends it. It ends at its last reading plus that
// reading's counted interval.
//
// CPU load and process activity describe the interval BEFORE their reading, so a reading's
// figures count, weighted by that interval, only when the interval lies inside the episode: the
// first reading of an episode adds nothing (its figures describe the time before it, at a lower
// state or across a gap), and the reading that closes an episode within 90 seconds adds the
// episode's last interval. Temperatures and power sources come from the episode's own readings.
class EpisodeBuilder {
 public:
  // What an episode needs from a reading's stored record.
  struct Details {
    std::optional<double> cpuLoad;
    std::optional<double> cpuTemperature;
    std::optional<double> gpuTemperature;
    std::string powerSource;
    std::vector<std::pair<std::string, double>> activity;  // name, percent of one core
  };
  // The reading's details, or nothing for a record that cannot be read (it still counts toward
  // durations and states). Called at most once per reading, and only for readings inside an
  // episode or closing one.
  using Decode = std::function<std::optional<Details>()>;

  // REQUIRES: readings in the order of time (then storage), `state` nothing when not a state.
  void add(double time, std::optional<ThermalState> state, std::string_view segment,
           const Decode& decode);
  // The episodes so far, newest first, at most `limit` of them (negative: all).
  std::vector<Episode> finish(long long limit);

 private:
  void close();

  std::vector<Episode> done_;
  std::optional<Episode> open_;
  std::map<std::string, double, std::less<>> cpuSeconds_;
  double loadSum_ = 0;
  double loadWeight_ = 0;
  bool any_ = false;
  double previousTime_ = 0;
  std::string previousSegment_;
  ThermalState previousState_ = ThermalState::nominal;
};

}  // namespace tempyra
