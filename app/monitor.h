#pragma once
// The application's controller: the only owner of the engine objects (provider, history store).
// It samples on a private serial queue, publishes each accepted reading, records it, keeps
// monitoring segments and reacts to sleep, wake, clock changes and the user's pause button. Its
// helpers do the rest: the history feed (the store's round-trips), the metrics exporter, the
// alert notifier and the away tracker; each observes the readings the monitor accepts. What it
// and its helpers publish reaches the interface as the three snapshots of MonitorSurface.
//
// Threads: every public member is called on the main thread (the thread that owns the
// QCoreApplication) and every published field changes only there, replaced whole. Provider and
// store calls run on the sampling queue, one at a time, on copied values.
#include <QTimer>

#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "app/alert_notifier.h"
#include "app/away_tracker.h"
#include "app/freshness.h"
#include "app/history_feed.h"
#include "app/metrics_exporter.h"
#include "app/monitor_services.h"
#include "app/monitor_surface.h"
#include "app/preferences.h"
#include "app/relay.h"
#include "app/sampling_engine.h"
#include "app/serial_queue.h"
#include "core/advice.h"
#include "core/device_profile.h"
#include "core/reading.h"
#include "core/thermal_state.h"

namespace tempyra {

class Monitor : public MonitorSurface {
  Q_OBJECT

 public:
  // Runs the whole construction: preferences, alert engine, provider, profile, store,
  // demonstration seed, system observers, permission, login status, first sample, first
  // history load. Blocks while the sampling queue opens the store (and seeds it).
  explicit Monitor(MonitorServices services, QObject* parent = nullptr);
  // Waits for the work already queued (a sample in progress is finished, its result dropped).
  ~Monitor() override;

  // ---- the published snapshots
  // The live state's advice has freshness -1 while paused or asleep, else 95.
  LiveState live() const override;
  // What the live state follows from, apart from the clock.
  LiveFacts liveFacts() const;
  const HistoryState& history() const override { return feed_.state(); }
  SetupState setup() const override;
  UserDefaults& defaults() override { return *services_.defaults; }

  // ---- commands
  // Takes one sample now, unless paused, asleep or a sample is in flight.
  void sample();
  void togglePause() override;
  void loadHistory() override { feed_.load(); }
  void clearHistory() override { feed_.clear(); }
  void exportHistory() override { feed_.exportHistory(services_.fileChooser.get()); }
  // Stores the published preferences in the user defaults.
  void savePreferences() override;
  void resetPreferences() override;
  void setLogin(bool enabled) override;
  void refreshLogin();
  void refreshPermission(AuthorizationStatus status) { alerts_.refreshPermission(status); }
  void requestAlerts() override { alerts_.requestAlerts(); }
  void sendTestNotification() override { alerts_.sendTestNotification(); }
  void chooseMetricsFolder() override { metrics_.chooseFolder(services_.fileChooser.get()); }
  // Writes metrics to `folder` from now on, as if the user had chosen it.
  void setMetricsFolder(const std::filesystem::path& folder) { metrics_.setFolder(folder); }
  void stopMetrics() override { metrics_.stop(); }

  // ---- setters the interface layer uses (each publishes only a real change; none saves)
  void setPreferences(const Preferences& preferences) override;
  // While the window is open and the History page selected, the history and its episodes reload
  // after every reading, else the history alone after the 1st, 4th, 7th … Starts as (false,
  // hour).
  void setHistoryView(bool historyPageSelected, HistoryRange range) override;
  // Opening the dashboard brings a pending idle sample forward to 30 s after the last reading
  // (unless hot or in low power mode) and sums up the time away; closing it keeps the time it
  // was last seen in the user defaults, so that the summary also covers time the application
  // was not running.
  void setDetailVisible(bool visible) override;
  // Hides the "while you were away" line until the next opening or wake that sums up.
  void dismissAway() override { away_.dismiss(); }
  void setProblem(const Problem& problem);
  void clearProblem() override;
  // The dialog that exportHistory() uses; without one, export does nothing.
  void setFileChooser(std::shared_ptr<FileChooser> chooser);

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

 private:
  struct SampleResult;
  // The snapshots, as bits of what changed.
  enum Part { livePart = 1, historyPart = 2, setupPart = 4 };
  // Holds back the change signals until the outermost batch ends, so that one step of the
  // monitor emits each snapshot's signal at most once.
  class Batch {
   public:
    explicit Batch(Monitor& m) : m_(m) { ++m_.batches_; }
    ~Batch() {
      if (--m_.batches_ == 0) m_.flush();
    }

   private:
    Monitor& m_;
  };

  // Marks a snapshot changed; outside a batch its signal goes at once.
  void touch(int parts);
  void flush();

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
  int batches_ = 0;
  int changed_ = 0;
  // The setup as last announced: a step that rewrites it unchanged announces nothing.
  SetupState announcedSetup_;
};

}  // namespace tempyra
