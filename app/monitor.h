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

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/monitor_services.h"
#include "app/preferences.h"
#include "app/relay.h"
#include "app/serial_queue.h"
#include "core/advice.h"
#include "core/alert_engine.h"
#include "core/device_profile.h"
#include "core/metric.h"
#include "core/reading.h"
#include "core/thermal_state.h"

namespace tempyra {

class HistoryStore;

using EventRow = std::map<std::string, std::string>;  // "id", "time", "kind", "detail"
using EventRows = std::vector<EventRow>;
using Durations = std::map<ThermalState, double>;     // seconds per state
using Readings = std::vector<Reading>;
using OptionalReading = std::optional<Reading>;
using OptionalText = std::optional<std::string>;

// Published texts.
inline constexpr const char* kPermissionAllowed = "Allowed";
inline constexpr const char* kPermissionDenied = "Denied";
inline constexpr const char* kPermissionNotRequested = "Not requested";
inline constexpr const char* kHistoryUnavailable = "History is unavailable.";
// Pages and ranges the monitor knows by name.
inline constexpr const char* kHistoryPage = "History";
inline constexpr const char* kRanges[] = {"Hour", "Day", "Week", "Month"};

// Greatest age in seconds at which a reading still describes the machine.
inline constexpr double kFreshness = 95;

class Monitor : public QObject {
  Q_OBJECT
  Q_PROPERTY(OptionalReading reading READ reading NOTIFY readingChanged)
  Q_PROPERTY(Readings history READ history NOTIFY historyChanged)
  Q_PROPERTY(EventRows events READ events NOTIFY eventsChanged)
  Q_PROPERTY(Durations durations READ durations NOTIFY durationsChanged)
  Q_PROPERTY(bool paused READ paused NOTIFY pausedChanged)
  Q_PROPERTY(bool asleep READ asleep NOTIFY asleepChanged)
  Q_PROPERTY(OptionalText problem READ problem NOTIFY problemChanged)
  Q_PROPERTY(OptionalText historyProblem READ historyProblem NOTIFY historyProblemChanged)
  Q_PROPERTY(std::string permission READ permission NOTIFY permissionChanged)
  Q_PROPERTY(Preferences preferences READ preferences WRITE setPreferences NOTIFY preferencesChanged)
  Q_PROPERTY(std::string range READ range WRITE setRange NOTIFY rangeChanged)
  Q_PROPERTY(std::string page READ page WRITE setPage NOTIFY pageChanged)
  Q_PROPERTY(std::string loginStatus READ loginStatus NOTIFY loginStatusChanged)
  Q_PROPERTY(DeviceProfile profile READ profile NOTIFY profileChanged)

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
  const EventRows& events() const { return events_; }
  const Durations& durations() const { return durations_; }
  bool paused() const { return paused_; }
  bool asleep() const { return asleep_; }
  const std::optional<std::string>& problem() const { return problem_; }
  const std::optional<std::string>& historyProblem() const { return historyProblem_; }
  const std::string& permission() const { return permission_; }
  const Preferences& preferences() const { return preferences_; }
  const std::string& range() const { return range_; }
  const std::string& page() const { return page_; }
  const std::string& loginStatus() const { return loginStatus_; }
  const DeviceProfile& profile() const { return profile_; }

  // ---- derived, computed afresh on every call
  // Paused, asleep, no reading, or the reading is older than 95 s or lies in the future.
  bool stale() const;
  // Nothing without a reading; freshness -1 while paused or asleep, else 95.
  std::optional<Advice> advice() const;
  // Now minus the span of the current range (seconds since 1970).
  double since() const;
  // The text beside the tray icon.
  std::string menuTitle() const;
  // One metric's value for display: unit preference applied, "Not available" when missing,
  // not finite, in the future, older than 95 s, or while stale.
  std::string display(const Metric& metric) const;
  // Span in seconds of a range name; any unknown name counts as "Hour".
  static double rangeSpan(const std::string& range);

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

  // ---- setters the interface layer uses (each publishes only a real change; none saves)
  void setPreferences(const Preferences& preferences);
  void setRange(const std::string& range);
  void setPage(const std::string& page);
  // True while the dashboard window is shown; affects only the next interval.
  void setDetailVisible(bool visible);
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
  double TEST_stateSince() const { return stateSince_; }
  // Runs until the sampling queue is empty and every result it handed back was delivered.
  void TEST_settle();

 signals:
  void readingChanged();
  void historyChanged();
  void eventsChanged();
  void durationsChanged();
  void pausedChanged();
  void asleepChanged();
  void problemChanged();
  void historyProblemChanged();
  void permissionChanged();
  void preferencesChanged();
  void rangeChanged();
  void pageChanged();
  void loginStatusChanged();
  void profileChanged();
  // An alert notification was handed to the notification centre (for the interface and tests).
  void alertPosted(const std::string& title);

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
  double now() const { return services_.clock->now(); }

  MonitorServices services_;
  std::shared_ptr<Engine> engine_;
  // Results and service completions come back to the main thread through here.
  std::shared_ptr<Relay> relay_;
  SerialQueue queue_{"com.quorvel.temperature.sampling"};
  bool hasStore_ = false;

  std::optional<Reading> reading_;
  std::vector<Reading> history_;
  EventRows events_;
  Durations durations_;
  bool paused_ = false;
  bool asleep_ = false;
  std::optional<std::string> problem_;
  std::optional<std::string> historyProblem_;
  std::string permission_ = kPermissionNotRequested;
  Preferences preferences_;
  std::string range_ = "Hour";
  std::string page_ = "Overview";
  std::string loginStatus_;
  DeviceProfile profile_;

  QTimer timer_;
  std::optional<TimerPlan> plan_;
  std::string segment_;
  double stateSince_ = 0;
  std::optional<ThermalState> previousState_;
  AlertEngine alertEngine_;
  bool inFlight_ = false;
  long long count_ = 0;
  bool detailVisible_ = true;
  bool demo_ = false;
};

}  // namespace tempyra
