#include "app/monitor_surface.h"

#include "app/freshness.h"

namespace tempyra {

LiveState liveAt(const LiveFacts& facts, double now) {
  LiveState s{facts.reading, facts.paused, facts.asleep, true, std::nullopt, facts.problem,
              facts.away, now};
  if (facts.reading) {
    const double age = now - facts.reading->timestamp;
    s.stale = facts.paused || facts.asleep || age > kFreshness || age < 0;
    s.advice = Rules::evaluate(*facts.reading, now - facts.stateSince, now,
                               (facts.paused || facts.asleep) ? -1 : kFreshness);
  }
  return s;
}

}  // namespace tempyra
