#include "app/away_tracker.h"

namespace tempyra {

AwayTracker::AwayTracker(std::shared_ptr<UserDefaults> defaults, std::shared_ptr<Clock> clock,
                         HistoryFeed& feed)
    : defaults_(std::move(defaults)), clock_(std::move(clock)), feed_(feed) {}

AwayTracker::~AwayTracker() {
  if (open_) rememberSeen();
}

void AwayTracker::setDashboardOpen(bool open) {
  if (open == open_) return;
  open_ = open;
  if (open) {
    sumUp();
  } else {
    rememberSeen();
  }
}

void AwayTracker::willSleep() {
  if (open_) rememberSeen();
}

void AwayTracker::didWake() {
  if (open_) sumUp();
}

void AwayTracker::dismiss() {
  if (!away_) return;
  away_.reset();
  emit awayChanged();
}

void AwayTracker::rememberSeen() { defaults_->setDate(kDashboardSeenKey, clock_->now()); }

void AwayTracker::sumUp() {
  const std::optional<double> seen = defaults_->date(kDashboardSeenKey);
  const double at = clock_->now();
  rememberSeen();
  if (!awayLongEnough(seen, at)) {
    dismiss();
    return;
  }
  feed_.withStore(
      feed_.storeProblem(),
      [since = *seen](HistoryStore& store) { return store.episodes(since, -1); },
      [this, seen, at](Episodes episodes) {
        away_ = awaySummary(seen, at, episodes);
        emit awayChanged();
      });
}

}  // namespace tempyra
