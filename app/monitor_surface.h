#pragma once
// What the interface reads from the monitor and the commands it calls, in one place: three value
// snapshots (the live state, the loaded history, the setup), each with its own change signal,
// and the user defaults for the interface's own keys. The monitor implements it; the interface
// tests use a scripted fake. Problems cross it as values: the interface words them.
//
// Threads: main thread only. A snapshot's signal comes only when that snapshot changed, once
// for all that one step of the monitor changed in it.
#include <QObject>

#include <filesystem>
#include <map>
#include <optional>
#include <vector>

#include "app/away_summary.h"
#include "app/history_range.h"
#include "app/login_item.h"
#include "app/notification_center.h"
#include "app/preferences.h"
#include "app/problem.h"
#include "app/user_defaults.h"
#include "core/advice.h"
#include "core/device_profile.h"
#include "core/episode.h"
#include "core/event.h"
#include "core/reading.h"
#include "core/thermal_state.h"

namespace tempyra {

using Events = std::vector<Event>;
using Episodes = std::vector<Episode>;             // newest first
using Durations = std::map<ThermalState, double>;  // seconds per state
using Readings = std::vector<Reading>;

// The last reading and what the monitor is doing, as at `now`.
struct LiveState {
  std::optional<Reading> reading;
  bool paused = false;
  bool asleep = false;
  // Paused, asleep, no reading, or the reading is older than 95 s or lies in the future.
  bool stale = true;
  // Nothing without a reading.
  std::optional<Advice> advice;
  // What the user asked for that failed, until cleared.
  std::optional<Problem> problem;
  // "While you were away", until dismissed.
  std::optional<AwaySummary> away;
  double now = 0;  // the monitor's clock when the snapshot was taken, seconds since 1970
};

// What the live state is made of apart from the clock: the live state at any moment follows
// from these and the time, so a copy of them kept elsewhere ages as the monitor's own does.
struct LiveFacts {
  std::optional<Reading> reading;
  bool paused = false;
  bool asleep = false;
  std::optional<Problem> problem;
  std::optional<AwaySummary> away;
  double stateSince = 0;  // when the reading's thermal state began, seconds since 1970
  friend bool operator==(const LiveFacts&, const LiveFacts&) = default;
};

// The live state `facts` describe at `now`: stale once the reading is older than the freshness
// limit or lies in the future, the advice evaluated for that moment.
LiveState liveAt(const LiveFacts& facts, double now);

// What the store holds for the range the dashboard shows.
struct HistoryState {
  Readings readings;  // oldest first
  Events events;      // newest first
  Durations durations;
  // Loaded with the rest while the History page is shown; other loads keep the last list.
  Episodes episodes;
  // Why the store's own work (opening, saving, reloading, retention) failed last.
  std::optional<Problem> problem;
  friend bool operator==(const HistoryState&, const HistoryState&) = default;
};

// The user's choices and the machine the monitor runs on.
struct SetupState {
  Preferences preferences;
  AuthorizationStatus permission = AuthorizationStatus::notDetermined;
  LoginItemStatus loginStatus = LoginItemStatus::notFound;
  // Where the metrics file goes after every reading; nothing while off.
  std::optional<std::filesystem::path> metricsFolder;
  // Why the last write (or removal) of the metrics file failed.
  std::optional<Problem> metricsProblem;
  DeviceProfile profile;
  bool demo = false;  // the information dictionary's demonstration switch
  friend bool operator==(const SetupState&, const SetupState&) = default;
};

class MonitorSurface : public QObject {
  Q_OBJECT

 public:
  using QObject::QObject;

  // Computed afresh on each call: a reading turns stale by age alone.
  virtual LiveState live() const = 0;
  virtual const HistoryState& history() const = 0;
  virtual SetupState setup() const = 0;
  // The user defaults, for the interface's own keys (appearance, guidance flags). Whoever writes
  // one emits defaultsChanged().
  virtual UserDefaults& defaults() = 0;

  virtual void togglePause() = 0;
  // Reloads the history for the current range.
  virtual void loadHistory() = 0;
  // Deletes the whole history, then reloads.
  virtual void clearHistory() = 0;
  // Asks for a location and writes the export document there.
  virtual void exportHistory() = 0;
  // Publishes `preferences` (a real change only); savePreferences() stores them.
  virtual void setPreferences(const Preferences& preferences) = 0;
  virtual void savePreferences() = 0;
  // Defaults for every preference and appearance "System", saved.
  virtual void resetPreferences() = 0;
  virtual void setLogin(bool enabled) = 0;
  virtual void requestAlerts() = 0;
  virtual void sendTestNotification() = 0;
  // Whether the History page is the selected page, and the range; takes effect at the next load.
  virtual void setHistoryView(bool historyPageSelected, HistoryRange range) = 0;
  // True while the dashboard window is shown.
  virtual void setDetailVisible(bool visible) = 0;
  virtual void clearProblem() = 0;
  virtual void dismissAway() = 0;
  virtual void chooseMetricsFolder() = 0;
  virtual void stopMetrics() = 0;

 signals:
  void liveChanged();
  void historyChanged();
  void setupChanged();
  void defaultsChanged();
};

}  // namespace tempyra
