#include "app/away_summary.h"

#include <algorithm>
#include <map>

namespace tempyra {

bool awayLongEnough(std::optional<double> lastSeen, double now) {
  return lastSeen && now - *lastSeen >= kAwayAtLeast;
}

std::optional<AwaySummary> awaySummary(std::optional<double> lastSeen, double now,
                                       const std::vector<Episode>& episodes) {
  if (!awayLongEnough(lastSeen, now) || episodes.empty()) return std::nullopt;
  AwaySummary summary;
  summary.episodes = static_cast<int>(episodes.size());
  std::map<std::string, double> cpuSeconds;
  for (const Episode& e : episodes) {
    summary.seconds += e.duration();
    summary.highest = std::max(summary.highest, e.highest);
    for (const Episode::Process& p : e.processes) cpuSeconds[p.name] += p.cpuSeconds;
  }
  double most = 0;
  for (const auto& [name, seconds] : cpuSeconds) {
    if (seconds > most) {
      most = seconds;
      summary.busiest = name;
    }
  }
  return summary;
}

}  // namespace tempyra
