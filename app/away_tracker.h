#pragma once
// "While you were away": keeps the time the dashboard was last seen in the user defaults and,
// when it opens (or the machine wakes with it open) an hour or more later, publishes what the
// heat episodes since then add up to.
//
// Threads: every member is called on the main thread; the episodes are read through the
// history feed, on the sampling queue.
#include <QObject>

#include <memory>
#include <optional>

#include "app/away_summary.h"
#include "app/clock.h"
#include "app/history_feed.h"
#include "app/user_defaults.h"

namespace tempyra {

class AwayTracker : public QObject {
  Q_OBJECT

 public:
  // REQUIRES: `feed` outlives the tracker.
  AwayTracker(std::shared_ptr<UserDefaults> defaults, std::shared_ptr<Clock> clock,
              HistoryFeed& feed);
  // Keeps the time seen when the dashboard is still open.
  ~AwayTracker() override;

  const std::optional<AwaySummary>& away() const { return away_; }
  bool dashboardOpen() const { return open_; }

  // What the shell says about the dashboard: opening sums up the time away, closing keeps the
  // time it was last seen, so that the summary also covers time the application was not running.
  void setDashboardOpen(bool open);
  // Time asleep is time away, even with the dashboard left open.
  void willSleep();
  void didWake();
  // Hides the summary until the next opening or wake that sums up.
  void dismiss();

 signals:
  void awayChanged();

 private:
  // Publishes the summary since the dashboard was last seen (or nothing), and marks it seen now.
  void sumUp();
  void rememberSeen();

  std::shared_ptr<UserDefaults> defaults_;
  std::shared_ptr<Clock> clock_;
  HistoryFeed& feed_;
  std::optional<AwaySummary> away_;
  bool open_ = false;
};

}  // namespace tempyra
