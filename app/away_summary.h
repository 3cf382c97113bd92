#pragma once
// "While you were away": what the heat episodes add up to since the dashboard was last seen.
// No Qt, so the interface's plain logic may include it.
#include <optional>
#include <string>
#include <vector>

#include "core/episode.h"
#include "core/thermal_state.h"

namespace tempyra {

// The user defaults key of the time the dashboard was last seen open (a date).
inline constexpr const char* kDashboardSeenKey = "dashboardLastSeen";
// How long the dashboard must have been out of sight before an opening or a wake sums up.
inline constexpr double kAwayAtLeast = 3600;

struct AwaySummary {
  int episodes = 0;
  double seconds = 0;  // all episodes' durations
  ThermalState highest = ThermalState::fair;
  std::string busiest;  // the name with the most CPU-seconds over all episodes; may be empty
  friend bool operator==(const AwaySummary&, const AwaySummary&) = default;
};

// Whether an opening or a wake at `now` follows long enough after `lastSeen` to sum up.
bool awayLongEnough(std::optional<double> lastSeen, double now);
// The summary of `episodes` (those since `lastSeen`), or nothing when the dashboard was seen
// less than an hour before `now`, never, or when no episode happened.
std::optional<AwaySummary> awaySummary(std::optional<double> lastSeen, double now,
                                       const std::vector<Episode>& episodes);

}  // namespace tempyra
