#pragma once
// The application's controller: the only owner of the engine objects (provider, history store,
// alert engine). It samples on a private serial queue, publishes each accepted reading, records
// it, feeds the alert engine, keeps monitoring segments and reacts to sleep, wake, clock changes
// and the user's pause button.
//
// Threads: every public member is called on the main thread (the thread that owns the
// QCoreApplication) and every published field changes only there, replaced whole. Provider and
// store calls run on the sampling queue, one at a time, on copied values.
#include <QObject>
#include <QTimer>

#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/away_summary.h"
#include "app/freshness.h"
#include "app/history_range.h"
#include "app/monitor_services.h"
#include "app/preferences.h"
#include "app/relay.h"
#include "app/serial_queue.h"
#include "core/advice.h"
#include "core/alert_engine.h"
#include "core/device_profile.h"
#include "core/episode.h"
#include "core/event.h"
#include "core/reading.h"
#include "core/thermal_state.h"

namespace tempyra {

class HistoryStore;

using Events = std::vector<Event>;
using Episodes = std::vector<Episode>;  // newest first
using OptionalAway = std::optional<AwaySummary>;
using Durations = std::map<ThermalState, double>;     // seconds per state
using Readings = std::vector<Reading>;
using OptionalReading = std::optional<Reading>;
using OptionalText = std::optional<std::string>;
using OptionalPath = std::optional<std::filesystem::path>;

// The problem published when history is exported without a store and nothing more specific is
// known.
inline constexpr const char* kHistoryUnavailable = "History is unavailable.";

class Monitor : public QObject {
  Q_OBJECT
  Q_PROPERTY(OptionalReading reading READ reading NOTIFY readingChanged)
  Q_PROPERTY(Readings history READ history NOTIFY historyChanged)
  Q_PROPERTY(Events events READ events NOTIFY eventsChanged)
  Q_PROPERTY(Durations durations READ durations NOTIFY durationsChanged)
  Q_PROPERTY(Episodes episodes READ episodes NOTIFY episodesChanged)
  Q_PROPERTY(OptionalAway away READ away NOTIFY awayChanged)
  Q_PROPERTY(bool paused READ paused NOTIFY pausedChanged)
  Q_PROPERTY(bool asleep READ asleep NOTIFY asleepChanged)
  Q_PROPERTY(OptionalText problem READ problem NOTIFY problemChanged)
  Q_PROPERTY(OptionalText historyProblem READ historyProblem NOTIFY historyProblemChanged)
  Q_PROPERTY(AuthorizationStatus permission READ permission NOTIFY permissionChanged)
  Q_PROPERTY(
      Preferences preferences READ preferences WRITE setPreferences NOTIFY preferencesChanged)
  Q_PROPERTY(LoginItemStatus loginStatus READ loginStatus NOTIFY loginStatusChanged)
  Q_PROPERTY(DeviceProfile profile READ profile NOTIFY profileChanged)
  Q_PROPERTY(OptionalPath metricsFolder READ metricsFolder NOTIFY metricsChanged)
  Q_PROPERTY(OptionalText metricsProblem READ metricsProblem NOTIFY metricsChanged)

 public:
  // Runs the whole construction: preferences, alert engine, provider, profile, store,
  // demonstration seed, system observers, permission, login status, first sample, first
  // history load. Blocks while the sampling queue opens the store (and seeds it).
  explicit Monitor(MonitorServices services, QObject* parent = nullptr);
  // Waits for the work already queued (a sample in progress is finished, its result dropped).
  ~Monitor() override;

  // ---- published fields
  const std::optional<Reading>& reading() const { return reading_; }
  const std::vector<Reading>& history() const { return history_; }
  const Events& events() const { return events_; }
  const Durations& durations() const { return durations_; }
  // The heat episodes of the history's range, newest first, loaded with it while the History
  // page is selected (other loads keep the last list).
  const Episodes& episodes() const { return episodes_; }
  // "While you were away": set when the dashboard opens, or the machine wakes with it open,
  // an hour or more after it was last seen and episodes happened meanwhile; otherwise nothing.
  const OptionalAway& away() const { return away_; }
  bool paused() const { return paused_; }
  bool asleep() const { return asleep_; }
  const std::optional<std::string>& problem() const { return problem_; }
  const std::optional<std::string>& historyProblem() const { return historyProblem_; }
  // Notifications are posted only while this is `authorized`.
  AuthorizationStatus permission() const { return permission_; }
  const Preferences& preferences() const { return preferences_; }
  LoginItemStatus loginStatus() const { return loginStatus_; }
  const DeviceProfile& profile() const { return profile_; }
  // Where the node_exporter textfile goes after every accepted reading; nothing while off.
  const std::optional<std::filesystem::path>& metricsFolder() const { return metricsFolder_; }
  // Why the last write (or the removal) of the metrics file failed; cleared by a success, so it
  // describes the file as it is now.
  const std::optional<std::string>& metricsProblem() const { return metricsProblem_; }

  // ---- derived, computed afresh on every call
  // Paused, asleep, no reading, or the reading is older than 95 s or lies in the future.
  bool stale() const;
  // Nothing without a reading; freshness -1 while paused or asleep, else 95.
  std::optional<Advice> advice() const;
  // Now minus the span of the range the interface shows (seconds since 1970).
  double since() const;

  // ---- commands
  // Takes one sample now, unless paused, asleep or a sample is in flight.
  void sample();
  void togglePause();
  // Reloads history, events and durations for the current range.
  void loadHistory();
  // Deletes the whole history, then reloads.
  void clearHistory();
  // Asks the file chooser for a location and writes the export document there.
  void exportHistory();
  // Stores the published preferences in the user defaults.
  void savePreferences();
  // Defaults for every preference, appearance "System", then saves.
  void resetPreferences();
  void setLogin(bool enabled);
  void refreshLogin();
  void refreshPermission(AuthorizationStatus status);
  void requestAlerts();
  // Asks the notification server and, when it answers, shows a test notification; a failure
  // becomes the problem. Where no permission service exists this stands in for requestAlerts.
  void sendTestNotification();
  // Asks the file chooser for the metrics folder, then writes there from now on (the current
  // reading at once); the file in an earlier folder is removed. Neither does anything in the
  // demonstration, which never writes metrics.
  void chooseMetricsFolder();
  // Writes metrics to `folder` from now on, as if the user had chosen it.
  void setMetricsFolder(const std::filesystem::path& folder);
  // Stops writing metrics and removes the file.
  void stopMetrics();

  // ---- setters the interface layer uses (each publishes only a real change; none saves)
  void setPreferences(const Preferences& preferences);
  // What the dashboard's history shows: whether the History page is the selected page (then
  // the history reloads after every reading, else after the 1st, 4th, 7th …) and its range.
  // Takes effect at the next load; starts as (false, hour).
  void setHistoryView(bool historyPageSelected, HistoryRange range);
  // True while the dashboard window is shown; affects only the next interval. Opening it sums
  // up the time away; closing it keeps the time it was last seen in the user defaults, so that
  // the summary also covers time the application was not running.
  void setDetailVisible(bool visible);
  // Hides the "while you were away" line until the next opening or wake that sums up.
  void dismissAway();
  void setProblem(const std::string& text);
  void clearProblem();
  // The dialog that exportHistory() uses; without one, export does nothing.
  void setFileChooser(std::shared_ptr<FileChooser> chooser);
  // The user defaults, for the interface's own keys (appearance, guidance flags).
  UserDefaults& userDefaults() const { return *services_.defaults; }

  // ---- for tests only
  struct TimerPlan {
    double interval;   // seconds
    double tolerance;  // seconds
  };
  // The pending one-shot timer, if any.
  std::optional<TimerPlan> TEST_scheduled() const;
  bool TEST_inFlight() const { return inFlight_; }
  long long TEST_count() const { return count_; }
  const std::string& TEST_segment() const { return segment_; }
  // Runs until the sampling queue is empty and every result it handed back was delivered.
  void TEST_settle();

 signals:
  void readingChanged();
  void historyChanged();
  void eventsChanged();
  void durationsChanged();
  void episodesChanged();
  void awayChanged();
  void pausedChanged();
  void asleepChanged();
  void problemChanged();
  void historyProblemChanged();
  void permissionChanged();
  void preferencesChanged();
  void loginStatusChanged();
  void profileChanged();
  void metricsChanged();

 private:
  struct Engine;  // provider and store: touched only on the sampling queue
  struct SampleResult;

  void schedule();
  void newSegment(const std::string& reason);
  void notify(const Reading& reading);
  void complete(SampleResult result);
  void requestPermissionRefresh();
  void willSleep();
  void didWake();
  void clockChanged();
  void setHistoryProblem(const std::string& text);
  // On opening the dashboard or waking with it open: publishes the summary since it was last
  // seen (or nothing), and marks it seen now.
  void sumUpAway();
  void rememberSeen();
  void writeMetrics(const Reading& reading);
  void setMetricsProblem(std::optional<std::string> text);
  // Runs `call(store)` on the sampling queue, after the work already queued, and hands its
  // answer back on the main thread: a value to `done`, an error's text to `report`
  // (setHistoryProblem for the store's own work, setProblem for what the user asked for).
  // Without a store nothing runs and `done` gets the empty answer: no rows, success.
  template <class Call, class Done>
  void withStore(void (Monitor::*report)(const std::string&), Call call, Done done);
  double now() const { return services_.clock->now(); }

  MonitorServices services_;
  std::shared_ptr<Engine> engine_;
  // Results and service completions come back to the main thread through here.
  std::shared_ptr<Relay> relay_;
  SerialQueue queue_{"com.quorvel.temperature.sampling"};
  bool hasStore_ = false;

  std::optional<Reading> reading_;
  std::vector<Reading> history_;
  Events events_;
  Durations durations_;
  Episodes episodes_;
  OptionalAway away_;
  bool paused_ = false;
  bool asleep_ = false;
  std::optional<std::string> problem_;
  std::optional<std::string> historyProblem_;
  AuthorizationStatus permission_ = AuthorizationStatus::notDetermined;
  Preferences preferences_;
  LoginItemStatus loginStatus_ = LoginItemStatus::notFound;  // read during construction
  DeviceProfile profile_;
  std::optional<std::filesystem::path> metricsFolder_;
  std::optional<std::string> metricsProblem_;

  bool historyPageSelected_ = false;
  HistoryRange range_ = HistoryRange::hour;

  QTimer timer_;
  std::optional<TimerPlan> plan_;
  std::string segment_;
  double stateSince_ = 0;
  std::optional<ThermalState> previousState_;
  AlertEngine alertEngine_;
  bool inFlight_ = false;
  long long count_ = 0;
  bool detailVisible_ = true;
  bool dashboardOpen_ = false;  // what the shell last said, unlike detailVisible_'s default
  bool demo_ = false;
};

}  // namespace tempyra
