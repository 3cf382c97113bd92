#pragma once
// The application's controller: the only owner of the engine objects (provider, history store).
// It samples on a private serial queue, publishes each accepted reading, records it, keeps
// monitoring segments and reacts to sleep, wake, clock changes and the user's pause button. Its
// helpers do the rest: the history feed (the store's round-trips), the metrics exporter, the
// alert notifier and the away tracker; each observes the readings the monitor accepts.
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

#include "app/alert_notifier.h"
#include "app/away_tracker.h"
#include "app/freshness.h"
#include "app/history_feed.h"
#include "app/metrics_exporter.h"
#include "app/monitor_services.h"
#include "app/preferences.h"
#include "app/relay.h"
#include "app/sampling_engine.h"
#include "app/serial_queue.h"
#include "core/advice.h"
#include "core/device_profile.h"
#include "core/reading.h"
#include "core/thermal_state.h"

namespace tempyra {

using OptionalAway = std::optional<AwaySummary>;
using OptionalReading = std::optional<Reading>;
using OptionalText = std::optional<std::string>;
using OptionalProblem = std::optional<Problem>;
using OptionalPath = std::optional<std::filesystem::path>;

class Monitor : public QObject {
  Q_OBJECT

 public:
  // Runs the whole construction: preferences, alert engine, provider, profile, store,
  // demonstration seed, system observers, permission, login status, first sample, first
  // history load. Blocks while the sampling queue opens the store (and seeds it).
  explicit Monitor(MonitorServices services, QObject* parent = nullptr);
  // Waits for the work already queued (a sample in progress is finished, its result dropped).
  ~Monitor() override;

  // ---- published fields
  const std::optional<Reading>& reading() const { return reading_; }
  const std::vector<Reading>& history() const { return feed_.history(); }
  const Events& events() const { return feed_.events(); }
  const Durations& durations() const { return feed_.durations(); }
  const Episodes& episodes() const { return feed_.episodes(); }
  const OptionalAway& away() const { return away_.away(); }
  bool paused() const { return paused_; }
  bool asleep() const { return asleep_; }
  // What the user asked for that failed, until cleared; the interface words it.
  const std::optional<Problem>& problem() const { return problem_; }
  // Why the store's own work (opening, saving, reloading, retention) failed last.
  const std::optional<Problem>& historyProblem() const { return feed_.problem(); }
  AuthorizationStatus permission() const { return alerts_.permission(); }
  const Preferences& preferences() const { return preferences_; }
  LoginItemStatus loginStatus() const { return loginStatus_; }
  const DeviceProfile& profile() const { return profile_; }
  const std::optional<std::filesystem::path>& metricsFolder() const { return metrics_.folder(); }
  const std::optional<std::string>& metricsProblem() const { return metrics_.problem(); }

  // ---- derived, computed afresh on every call
  // Paused, asleep, no reading, or the reading is older than 95 s or lies in the future.
  bool stale() const;
  // Nothing without a reading; freshness -1 while paused or asleep, else 95.
  std::optional<Advice> advice() const;
  double since() const { return feed_.since(); }

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
  void refreshPermission(AuthorizationStatus status) { alerts_.refreshPermission(status); }
  void requestAlerts() { alerts_.requestAlerts(); }
  void sendTestNotification() { alerts_.sendTestNotification(); }
  void chooseMetricsFolder() { metrics_.chooseFolder(services_.fileChooser.get()); }
  // Writes metrics to `folder` from now on, as if the user had chosen it.
  void setMetricsFolder(const std::filesystem::path& folder) { metrics_.setFolder(folder); }
  void stopMetrics() { metrics_.stop(); }

  // ---- setters the interface layer uses (each publishes only a real change; none saves)
  void setPreferences(const Preferences& preferences);
  // What the dashboard's history shows: whether the History page is the selected page (while
  // the window is open, the history and its episodes then reload after every reading, else the
  // history alone after the 1st, 4th, 7th …) and its range.
  // Takes effect at the next load; starts as (false, hour).
  void setHistoryView(bool historyPageSelected, HistoryRange range);
  // True while the dashboard window is shown. Opening it brings a pending idle sample forward to
  // 30 s after the last reading (unless hot or in low power mode) and sums up the time away; closing it keeps the time it was last seen in the user defaults, so that
  // the summary also covers time the application was not running.
  void setDetailVisible(bool visible);
  // Hides the "while you were away" line until the next opening or wake that sums up.
  void dismissAway() { away_.dismiss(); }
  void setProblem(const Problem& problem);
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
  struct SampleResult;

  void schedule();
  void newSegment(const std::string& reason);
  void complete(SampleResult result);
  void willSleep();
  void didWake();
  void clockChanged();
  double now() const { return services_.clock->now(); }

  MonitorServices services_;
  std::shared_ptr<SamplingEngine> engine_;
  // Results and service completions come back to the main thread through here.
  std::shared_ptr<Relay> relay_;
  SerialQueue queue_{"com.quorvel.temperature.sampling"};
  bool demo_ = false;
  HistoryFeed feed_;
  AwayTracker away_;
  MetricsExporter metrics_;
  AlertNotifier alerts_;

  std::optional<Reading> reading_;
  bool paused_ = false;
  bool asleep_ = false;
  std::optional<Problem> problem_;
  Preferences preferences_;
  LoginItemStatus loginStatus_ = LoginItemStatus::notFound;  // read during construction
  DeviceProfile profile_;

  QTimer timer_;
  std::optional<TimerPlan> plan_;
  std::string segment_;
  double stateSince_ = 0;
  std::optional<ThermalState> previousState_;
  bool inFlight_ = false;
  long long count_ = 0;
  bool detailVisible_ = true;
};

}  // namespace tempyra
