#include "core/alert_engine.h"

namespace tempyra {

namespace {

// The shortest sustained time and cool-down that settings can ask for; a NaN setting counts as
// the floor (the comparison is false).
double atLeast(double value, double floor) { return value >= floor ? value : floor; }

}  // namespace

bool AlertEngine::evaluate(const Reading& reading, const AlertSettings& settings, double now,
                           const Calendar& calendar, double freshness) {
  const double age = now - reading.timestamp;
  // A stale, unmeasurable (NaN) or future-dated reading says nothing about the current run.
  if (!(age <= freshness) || now < reading.timestamp || !isHot(reading.state)) {
    resetContinuity();
    return false;
  }
  // A switch between serious and critical restarts the run: an escalation must itself last.
  if (lastState_ != reading.state || !hotSince_ || now < *hotSince_) hotSince_ = now;
  lastState_ = reading.state;

  // Switched off, snoozed or quiet: the run is still tracked, and `last` is untouched so the
  // alert comes at once when the suppression ends.
  if (!settings.enabled) return false;
  if (now < settings.snoozeUntil) return false;
  if (settings.isQuiet(now, calendar)) return false;

  if (now - *hotSince_ < atLeast(settings.sustained, 10)) return false;
  if (last_ && now - *last_ < atLeast(settings.cooldown, 60)) return false;
  last_ = now;
  return true;
}

void AlertEngine::resetContinuity() {
  hotSince_.reset();
  lastState_.reset();
}

}  // namespace tempyra
