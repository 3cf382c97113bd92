#include "app/monitor.h"

#include <QCoreApplication>
#include <QPointer>
#include <QUuid>

#include <string_view>
#include <type_traits>

#include "app/metrics_file.h"
#include "app/thermal_alert_notification.h"
#include "core/open_metrics_text.h"
#include "history/history_store.h"
#include "providers/demo_provider.h"

namespace tempyra {

namespace {

// Seconds a hot state's timer waits, and how far the system may move it to coalesce wake-ups.
constexpr double kHotInterval = 10, kHotTolerance = 1;
constexpr double kVisibleInterval = 30, kIdleInterval = 60, kCoolTolerance = 5;
// Every tenth accepted reading runs retention and refreshes the permission.
constexpr long long kRetentionEvery = 10;
constexpr double kAlertFreshness = 90;
constexpr double kDemoSeedWindow = 7200;
constexpr long long kHistoryPoints = 1500;
constexpr long long kHistoryEvents = 500;
constexpr long long kHistoryEpisodes = 200;

// A fresh random UUID in its canonical upper-case text form.
std::string freshUuid() {
  return QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper().toStdString();
}

// The text as a sentence of its own: a full stop is added unless it already ends one (the
// store's own messages do, SQLite's do not).
std::string sentence(std::string text) {
  const std::string_view view = text;
  if (!view.ends_with('.') && !view.ends_with('!') && !view.ends_with('?') &&
      !view.ends_with("…")) {
    text += '.';
  }
  return text;
}

// Writes the demonstration history into a store that holds nothing of the last two hours. The
// first failure stops it (what was written stays) and is answered.
std::optional<std::string> seedDemoHistory(HistoryStore& store, const DeviceProfile& profile,
                                           double now) {
  const auto recent = store.samples(now - kDemoSeedWindow, now, kHistoryPoints);
  if (!recent) return recent.error();
  if (!recent->empty()) return std::nullopt;
  const DemoSeed seed = demoHistorySeed(now);
  for (const Reading& r : seed.readings) {
    if (const Status recorded = store.record(r, profile); !recorded) return recorded.error();
  }
  for (const SeedEvent& e : seed.events) {
    if (const Status written = store.event(e.at, e.kind, e.detail); !written) {
      return written.error();
    }
  }
  return std::nullopt;
}

}  // namespace

struct Monitor::Engine {
  std::unique_ptr<SensorProvider> provider;
  std::unique_ptr<HistoryStore> store;
};

struct Monitor::SampleResult {
  Reading reading;
  DeviceProfile profile;
  std::optional<std::string> saveError;
  std::string segment;  // the segment the sample was taken for
  bool allowed;         // whether notifications were authorised when the sample started
};

Monitor::Monitor(MonitorServices services, QObject* parent)
    : QObject(parent),
      services_(std::move(services)),
      engine_(std::make_shared<Engine>()),
      relay_(Relay::create(this)) {
  timer_.setSingleShot(true);
  timer_.setTimerType(Qt::CoarseTimer);
  connect(&timer_, &QTimer::timeout, this, [this] {
    plan_.reset();
    sample();
  });

  // 1. Initial fields.
  segment_ = freshUuid();
  stateSince_ = now();

  // 2. Preferences; anything unreadable silently gives the defaults.
  if (auto stored = services_.defaults->bytes(kPreferencesKey)) {
    if (auto decoded = decodePreferences(*stored)) preferences_ = std::move(decoded.value());
  }

  // 3. Alert engine.
  alertEngine_ = AlertEngine(services_.defaults->date(kLastThermalAlertKey));

  demo_ = services_.info->boolean(kDemoDataKey).value_or(false);
  // The metrics folder, kept apart from the preferences document. The demonstration never
  // publishes its invented readings where a collector would take them for the machine's.
  if (auto folder = services_.defaults->string(kMetricsFolderKey);
      !demo_ && folder && !folder->empty())
    metricsFolder_ = std::filesystem::path(*folder);

  // 4.-7. Provider, profile, store and demonstration seed, built on the sampling queue so that
  // the engine objects are never touched anywhere else.
  struct Opened {
    DeviceProfile profile;
    std::optional<std::string> storeError;
    std::optional<std::string> seedError;
    std::optional<std::string> storeNotice;
  } opened;
  queue_.sync([&, engine = engine_.get()] {
    engine->provider = services_.makeProvider(demo_);
    opened.profile = engine->provider->profile();
    auto store = HistoryStore::open(services_.storePath);
    if (!store) {
      opened.storeError = store.error();
      return;
    }
    engine->store = std::move(*store);
    opened.storeNotice = engine->store->notice();
    if (demo_) {
      opened.seedError = seedDemoHistory(*engine->store, opened.profile, services_.clock->now());
    }
  });
  profile_ = std::move(opened.profile);
  hasStore_ = !opened.storeError;
  if (opened.storeError) {
    historyProblem_ = "History is unavailable: " + sentence(*opened.storeError) +
                      " Live monitoring continues; existing history is preserved.";
  } else if (opened.seedError) {
    historyProblem_ = "Demo history: " + *opened.seedError;
  } else if (opened.storeNotice) {
    historyProblem_ = opened.storeNotice;
  }

  // 8. System observers; each holds the monitor weakly.
  QPointer<Monitor> self(this);
  services_.events->start(SystemEventHandlers{
      [self] {
        if (self) self->sample();
      },
      [self] {
        if (self) self->willSleep();
      },
      [self] {
        if (self) self->didWake();
      },
      [self] {
        if (self) self->clockChanged();
      }});

  // 9.-12.
  requestPermissionRefresh();
  refreshLogin();
  sample();
  loadHistory();
}

Monitor::~Monitor() {
  if (dashboardOpen_) rememberSeen();
  relay_->close();
  timer_.stop();
  // The provider and the store are released on the worker, after the work already queued.
  queue_.async([engine = std::move(engine_)]() mutable { engine.reset(); });
  queue_.drain();
}

// ---------------------------------------------------------------- sampling loop

void Monitor::sample() {
  if (paused_ || asleep_ || inFlight_) return;
  if (reading_ && now() - reading_->timestamp > kFreshness) newSegment("Sampling gap");
  inFlight_ = true;
  auto work = [engine = engine_, clock = services_.clock, segment = segment_,
               activity = preferences_.activity,
               allowed = permission_ == AuthorizationStatus::authorized] {
    SampleResult result;
    result.reading = engine->provider->sample(clock->now(), segment, activity);
    result.profile = engine->provider->profile();
    if (engine->store) {
      if (const Status saved = engine->store->record(result.reading, result.profile); !saved) {
        result.saveError = saved.error();
      }
    }
    result.segment = segment;
    result.allowed = allowed;
    return result;
  };
  queue_.asyncThen(std::move(work), relay_,
                   [this](SampleResult result) { complete(std::move(result)); });
}

void Monitor::complete(SampleResult result) {
  inFlight_ = false;
  if (result.segment != segment_ || paused_ || asleep_) {
    // The reading belongs to an abandoned segment. A request refused while it was in flight
    // (wake, clock change, resume) armed nothing, so make sure the loop still has a timer.
    if (!paused_ && !asleep_ && !timer_.isActive()) schedule();
    return;
  }
  const Reading& r = result.reading;
  if (!previousState_ || *previousState_ != r.state) {
    previousState_ = r.state;
    stateSince_ = r.timestamp;
  }
  profile_ = std::move(result.profile);
  emit profileChanged();
  reading_ = r;
  emit readingChanged();
  if (result.saveError) {
    setHistoryProblem("Could not save history: " + sentence(*result.saveError) +
                      " Live monitoring continues.");
  }

  AlertSettings settings = preferences_.alerts;
  settings.enabled = settings.enabled && result.allowed;
  if (alertEngine_.evaluate(*reading_, settings, reading_->timestamp, *services_.calendar,
                            kAlertFreshness)) {
    notify(*reading_);
  }

  if (metricsFolder_) writeMetrics(*reading_);

  ++count_;
  if (count_ % kRetentionEvery == 0) {
    withStore(
        &Monitor::setHistoryProblem,
        [days = preferences_.retention, t = now()](HistoryStore& store) {
          return store.prune(days, t);
        },
        [] {});
    requestPermissionRefresh();
  }
  if (historyPageSelected_ || count_ % 3 == 1) loadHistory();
  schedule();
}

void Monitor::schedule() {
  timer_.stop();
  plan_.reset();
  TimerPlan plan{kIdleInterval, kCoolTolerance};
  if (reading_ && isHot(reading_->state)) {
    plan = {kHotInterval, kHotTolerance};
  } else if (!services_.events->lowPowerMode() && detailVisible_) {
    plan.interval = kVisibleInterval;
  }
  // Qt's coarse timers may fire up to 5 % late, which stays within the tolerance.
  timer_.start(static_cast<int>(plan.interval * 1000));
  plan_ = plan;
}

std::optional<Monitor::TimerPlan> Monitor::TEST_scheduled() const {
  if (!timer_.isActive()) return std::nullopt;
  return plan_;
}

void Monitor::newSegment(const std::string& reason) {
  segment_ = freshUuid();
  const double t = now();
  stateSince_ = t;
  previousState_.reset();
  alertEngine_.resetContinuity();
  queue_.async([engine = engine_, reason, t] {
    engine->provider->reset();
    // A lost segment marker must not disturb monitoring: its failure is not reported.
    if (engine->store) engine->store->event(t, EventKind::monitoring, reason);
  });
}

void Monitor::togglePause() {
  paused_ = !paused_;
  emit pausedChanged();
  timer_.stop();
  plan_.reset();
  newSegment(paused_ ? "Paused by user" : "Resumed by user");
  if (!paused_) sample();
}

void Monitor::willSleep() {
  if (!asleep_) {
    asleep_ = true;
    emit asleepChanged();
  }
  timer_.stop();
  plan_.reset();
  newSegment("Sleep");
  // Time asleep is time away, even with the dashboard left open.
  if (dashboardOpen_) rememberSeen();
}

void Monitor::didWake() {
  if (asleep_) {
    asleep_ = false;
    emit asleepChanged();
  }
  newSegment("Wake \u00B7 readings resume");
  sample();
  if (dashboardOpen_) sumUpAway();
}

void Monitor::clockChanged() {
  newSegment("Clock changed");
  sample();
}

void Monitor::TEST_settle() {
  for (;;) {
    queue_.drain();
    QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
    if (queue_.idle() && relay_->pending() == 0) return;
    if (relay_->pending() > 0 && queue_.idle()) {
      // Calls posted from elsewhere (a notification backend) may still be on their way.
      QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
  }
}

// ---------------------------------------------------------------- derived values

bool Monitor::stale() const {
  if (paused_ || asleep_ || !reading_) return true;
  const double age = now() - reading_->timestamp;
  return age > kFreshness || age < 0;
}

std::optional<Advice> Monitor::advice() const {
  if (!reading_) return std::nullopt;
  const double t = now();
  return Rules::evaluate(*reading_, t - stateSince_, t, (paused_ || asleep_) ? -1 : kFreshness);
}

double Monitor::since() const { return now() - rangeSpan(range_); }

// ---------------------------------------------------------------- history

template <class Call, class Done>
void Monitor::withStore(void (Monitor::*report)(const std::string&), Call call, Done done) {
  using Answer = std::invoke_result_t<Call&, HistoryStore&>;  // a Status or an Expected value
  auto work = [engine = engine_, call = std::move(call)]() mutable -> Answer {
    if (engine->store) return call(*engine->store);
    if constexpr (std::is_same_v<Answer, Status>) {
      return {};
    } else {
      return typename Answer::value_type{};
    }
  };
  queue_.asyncThen(std::move(work), relay_,
                   [this, report, done = std::move(done)](Answer answer) mutable {
                     if (!answer) {
                       (this->*report)(answer.error());
                     } else if constexpr (std::is_same_v<Answer, Status>) {
                       done();
                     } else {
                       done(std::move(*answer));
                     }
                   });
}

namespace {
// One reload's answer, read in three statements.
struct HistoryLoad {
  Readings history;
  Events events;
  Durations durations;
  std::optional<Episodes> episodes;  // read only while the History page shows them
};
}  // namespace

void Monitor::loadHistory() {
  // Episodes cost more than the time per state over a long range and only the History page
  // lists them, so the cadence that keeps the charts current leaves them out while it is hidden.
  auto load = [clock = services_.clock, from = since(),
               withEpisodes = historyPageSelected_](HistoryStore& store) -> Expected<HistoryLoad> {
    auto history = store.samples(from, clock->now(), kHistoryPoints);
    if (!history) return history.failure();
    auto events = store.events(from, kHistoryEvents);
    if (!events) return events.failure();
    auto durations = store.durations(from, clock->now());
    if (!durations) return durations.failure();
    HistoryLoad load{std::move(*history), std::move(*events), std::move(*durations), {}};
    if (withEpisodes) {
      auto episodes = store.episodes(from, kHistoryEpisodes);
      if (!episodes) return episodes.failure();
      load.episodes = std::move(*episodes);
    }
    return load;
  };
  withStore(&Monitor::setHistoryProblem, std::move(load), [this](HistoryLoad load) {
    history_ = std::move(load.history);
    emit historyChanged();
    events_ = std::move(load.events);
    emit eventsChanged();
    durations_ = std::move(load.durations);
    emit durationsChanged();
    if (load.episodes) {
      episodes_ = std::move(*load.episodes);
      emit episodesChanged();
    }
  });
}

void Monitor::clearHistory() {
  withStore(
      &Monitor::setProblem, [](HistoryStore& store) { return store.clear(); },
      [this] { loadHistory(); });
}

void Monitor::exportHistory() {
  if (!hasStore_) {
    setProblem(historyProblem_ ? *historyProblem_ : std::string(kHistoryUnavailable));
    return;
  }
  if (!services_.fileChooser) return;
  QPointer<Monitor> self(this);
  services_.fileChooser->chooseSaveFile(
      "Thermal history.json", "application/json",
      [self](std::optional<std::filesystem::path> file) {
        if (!self || !file || file->empty()) return;
        self->withStore(
            &Monitor::setProblem,
            [file = *file](HistoryStore& store) { return store.exportTo(file); },
            [m = self.data()](ExportSummary summary) {
              if (summary.skipped == 0) return;
              m->setProblem(
                  "The export left out " + std::to_string(summary.skipped) +
                  (summary.skipped == 1 ? " unreadable record." : " unreadable records."));
            });
      });
}

void Monitor::setFileChooser(std::shared_ptr<FileChooser> chooser) {
  services_.fileChooser = std::move(chooser);
}

// ---------------------------------------------------------------- preferences

void Monitor::setPreferences(const Preferences& preferences) {
  if (preferences == preferences_) return;
  preferences_ = preferences;
  emit preferencesChanged();
}

void Monitor::savePreferences() {
  // An encoding failure stores nothing; the published value keeps the user's change.
  if (auto json = encodeJson(preferences_)) services_.defaults->setBytes(kPreferencesKey, *json);
}

void Monitor::resetPreferences() {
  setPreferences(Preferences{});
  services_.defaults->setString(kAppearanceKey, "System");
  savePreferences();
}

void Monitor::setHistoryView(bool historyPageSelected, HistoryRange range) {
  historyPageSelected_ = historyPageSelected;
  range_ = range;
}

void Monitor::setDetailVisible(bool visible) {
  detailVisible_ = visible;
  if (visible == dashboardOpen_) return;
  dashboardOpen_ = visible;
  if (visible) {
    sumUpAway();
  } else {
    rememberSeen();
  }
}

void Monitor::rememberSeen() { services_.defaults->setDate(kDashboardSeenKey, now()); }

void Monitor::sumUpAway() {
  const std::optional<double> seen = services_.defaults->date(kDashboardSeenKey);
  const double at = now();
  rememberSeen();
  if (!awayLongEnough(seen, at)) {
    if (away_) {
      away_.reset();
      emit awayChanged();
    }
    return;
  }
  withStore(
      &Monitor::setHistoryProblem,
      [since = *seen](HistoryStore& store) { return store.episodes(since, -1); },
      [this, seen, at](Episodes episodes) {
        away_ = awaySummary(seen, at, episodes);
        emit awayChanged();
      });
}

void Monitor::dismissAway() {
  if (!away_) return;
  away_.reset();
  emit awayChanged();
}

void Monitor::setProblem(const std::string& text) {
  problem_ = text;
  emit problemChanged();
}

void Monitor::clearProblem() {
  if (!problem_) return;
  problem_.reset();
  emit problemChanged();
}

void Monitor::setHistoryProblem(const std::string& text) {
  historyProblem_ = text;
  emit historyProblemChanged();
}

// ---------------------------------------------------------------- metrics for node_exporter

void Monitor::writeMetrics(const Reading& reading) {
  auto work = [folder = *metricsFolder_, reading] {
    return writeMetricsFile(folder, openMetricsText(reading));
  };
  queue_.asyncThen(std::move(work), relay_,
                   [this, folder = *metricsFolder_](const Status& written) {
                     // A folder given up meanwhile no longer has a state to show.
                     if (metricsFolder_ != folder) return;
                     setMetricsProblem(written ? OptionalText() : OptionalText(written.error()));
                   });
}

void Monitor::setMetricsProblem(std::optional<std::string> text) {
  if (text == metricsProblem_) return;
  metricsProblem_ = std::move(text);
  emit metricsChanged();
}

void Monitor::chooseMetricsFolder() {
  if (!services_.fileChooser || demo_) return;
  QPointer<Monitor> self(this);
  services_.fileChooser->chooseFolder(
      metricsFolder_.value_or(std::filesystem::path()),
      [self](std::optional<std::filesystem::path> folder) {
        if (self && folder && !folder->empty()) self->setMetricsFolder(*folder);
      });
}

void Monitor::setMetricsFolder(const std::filesystem::path& folder) {
  if (demo_) return;
  if (metricsFolder_ != folder) {
    // The serial queue removes the old file after any write to it that is still waiting.
    if (metricsFolder_) queue_.async([old = *metricsFolder_] { removeMetricsFile(old); });
    metricsFolder_ = folder;
    metricsProblem_.reset();
    services_.defaults->setString(kMetricsFolderKey, folder.string());
    emit metricsChanged();
  }
  if (reading_) writeMetrics(*reading_);
}

void Monitor::stopMetrics() {
  if (!metricsFolder_) return;
  const std::filesystem::path folder = *metricsFolder_;
  metricsFolder_.reset();
  metricsProblem_.reset();
  services_.defaults->remove(kMetricsFolderKey);
  emit metricsChanged();
  queue_.asyncThen([folder] { return removeMetricsFile(folder); }, relay_,
                   [this](const Status& removed) {
                     if (!metricsFolder_ && !removed) setMetricsProblem(removed.error());
                   });
}

// ---------------------------------------------------------------- notifications, login item

void Monitor::refreshPermission(AuthorizationStatus status) {
  if (status == permission_) return;
  permission_ = status;
  emit permissionChanged();
}

void Monitor::requestPermissionRefresh() {
  services_.notifications->authorizationStatus([this, relay = relay_](AuthorizationStatus status) {
    relay->post([this, status] { refreshPermission(status); });
  });
}

void Monitor::requestAlerts() {
  services_.notifications->requestAuthorization(
      [this, relay = relay_](Expected<bool> granted) {
        relay->post([this, granted] {
          Preferences p = preferences_;
          p.alerts.enabled = granted && *granted;
          setPreferences(p);
          savePreferences();
          requestPermissionRefresh();
          if (!granted) setProblem(granted.error());
        });
      });
}

void Monitor::sendTestNotification() {
  services_.notifications->requestAuthorization([this, relay = relay_](Expected<bool> granted) {
    relay->post([this, relay, granted] {
      requestPermissionRefresh();
      if (!granted || !*granted) {
        setProblem(granted ? std::string("No notification server answered.") : granted.error());
        return;
      }
      const UserNotification n{freshUuid(), "Tempyra test notification",
                               "Thermal alerts will appear like this."};
      services_.notifications->post(n, [this, relay](Status posted) {
        relay->post([this, posted] {
          if (!posted) setProblem("Notification could not be delivered: " + posted.error());
        });
      });
    });
  });
}

void Monitor::notify(const Reading& reading) {
  services_.defaults->setDate(kLastThermalAlertKey, reading.timestamp);
  const std::string& stateTitle = title(reading.state);
  const UserNotification n = thermalAlertNotification(reading.state, freshUuid());
  services_.notifications->post(
      n, [this, relay = relay_, at = reading.timestamp,
          stateTitle](Status delivered) {
        relay->post([this, at, stateTitle, delivered] {
          const std::string detail = delivered ? "Notification submitted: " + stateTitle
                                               : "Delivery failed: " + delivered.error();
          queue_.async([engine = engine_, at, detail] {
            // The alert was shown (or its failure reported); a lost log line is harmless.
            if (engine->store) engine->store->event(at, EventKind::alert, detail);
          });
          if (!delivered) setProblem("Notification could not be delivered: " + delivered.error());
        });
      });
}

void Monitor::refreshLogin() {
  const LoginItemStatus status = services_.loginItem->status();
  if (status == loginStatus_) return;
  loginStatus_ = status;
  emit loginStatusChanged();
}

void Monitor::setLogin(bool enabled) {
  const Status done =
      enabled ? services_.loginItem->registerItem() : services_.loginItem->unregisterItem();
  if (!done) setProblem("Login item: " + done.error());
  refreshLogin();
}

}  // namespace tempyra
