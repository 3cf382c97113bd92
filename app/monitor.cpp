#include "app/monitor.h"

#include <QCoreApplication>
#include <QPointer>
#include <QThread>
#include <QUuid>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <mutex>
#include <string_view>

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

std::string freshSegment() {
  return QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper().toStdString();
}

// printf's "%.Nf" without the C library's locale: the decimal separator is always ".".
std::string fixed(double value, int decimals) {
  char buffer[400];
  auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed,
                                 decimals);
  if (ec != std::errc()) return {};
  return std::string(buffer, end);
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

std::string lowercase(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

}  // namespace

struct Monitor::Engine {
  std::unique_ptr<SensorProvider> provider;
  std::unique_ptr<HistoryStore> store;
};

struct Monitor::Life {
  std::mutex mutex;
  Monitor* self = nullptr;  // cleared when the monitor is destroyed
  std::atomic<int> pending{0};  // posted calls not yet run (or discarded)
};

struct Monitor::SampleResult {
  Reading reading;
  DeviceProfile profile;
  std::optional<std::string> saveError;
  std::string segment;  // the segment the sample was taken for
  bool allowed;         // whether the permission was "Allowed" when the sample started
};

void Monitor::post(const std::shared_ptr<Life>& life, std::function<void()> fn) {
  std::lock_guard lock(life->mutex);
  if (!life->self) return;
  life->pending++;
  // A call queued for a destroyed receiver is discarded by Qt; the counter then no longer
  // matters because nobody can wait on it.
  QMetaObject::invokeMethod(
      life->self,
      [life, fn = std::move(fn)] {
        life->pending--;
        fn();
      },
      Qt::QueuedConnection);
}

void Monitor::dispatch(std::function<std::function<void()>()> work) {
  queue_.async([life = life_, work = std::move(work)] {
    std::function<void()> done = work();
    if (done) post(life, std::move(done));
  });
}

Monitor::Monitor(MonitorServices services, QObject* parent)
    : QObject(parent),
      services_(std::move(services)),
      engine_(std::make_shared<Engine>()),
      life_(std::make_shared<Life>()) {
  life_->self = this;
  timer_.setSingleShot(true);
  timer_.setTimerType(Qt::CoarseTimer);
  connect(&timer_, &QTimer::timeout, this, [this] {
    plan_.reset();
    sample();
  });

  // 1. Initial fields.
  segment_ = freshSegment();
  stateSince_ = now();

  // 2. Preferences; anything unreadable silently gives the defaults.
  if (auto stored = services_.defaults->bytes(kPreferencesKey)) {
    if (auto decoded = decodePreferences(*stored)) preferences_ = std::move(decoded.value());
  }

  // 3. Alert engine.
  alertEngine_ = AlertEngine(services_.defaults->date(kLastThermalAlertKey));

  // 4.-7. Provider, profile, store and demonstration seed, built on the sampling queue so that
  // the engine objects are never touched anywhere else.
  demo_ = services_.info->boolean(kDemoDataKey).value_or(false);
  struct Opened {
    DeviceProfile profile;
    std::optional<std::string> storeError;
    std::optional<std::string> seedError;
    std::optional<std::string> storeNotice;
  } opened;
  queue_.sync([&, engine = engine_.get()] {
    engine->provider = services_.makeProvider(demo_);
    opened.profile = engine->provider->profile();
    try {
      engine->store = std::make_unique<HistoryStore>(services_.storePath);
      opened.storeNotice = engine->store->notice();
    } catch (const std::exception& e) {
      opened.storeError = e.what();
    }
    if (!demo_ || !engine->store) return;
    try {
      const double t = services_.clock->now();
      if (!engine->store->samples(t - kDemoSeedWindow, t, kHistoryPoints).empty()) return;
      const DemoSeed seed = demoHistorySeed(t);
      for (const Reading& r : seed.readings) engine->store->record(r, opened.profile);
      for (const SeedEvent& e : seed.events) engine->store->event(e.at, e.kind, e.detail);
    } catch (const std::exception& e) {
      opened.seedError = e.what();
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
  {
    std::lock_guard lock(life_->mutex);
    life_->self = nullptr;
  }
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
  dispatch([this, engine = engine_, clock = services_.clock, segment = segment_,
            activity = preferences_.activity,
            allowed = permission_ == kPermissionAllowed]() -> std::function<void()> {
    SampleResult result;
    result.reading = engine->provider->sample(clock->now(), segment, activity);
    result.profile = engine->provider->profile();
    if (engine->store) {
      try {
        engine->store->record(result.reading, result.profile);
      } catch (const std::exception& e) {
        result.saveError = e.what();
      }
    }
    result.segment = segment;
    result.allowed = allowed;
    return [this, result = std::move(result)]() mutable { complete(std::move(result)); };
  });
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

  ++count_;
  if (count_ % kRetentionEvery == 0) {
    dispatch([this, engine = engine_, days = preferences_.retention,
              t = now()]() -> std::function<void()> {
      if (!engine->store) return {};
      try {
        engine->store->prune(days, t);
        return {};
      } catch (const std::exception& e) {
        return [this, message = std::string(e.what())] { setHistoryProblem(message); };
      }
    });
    requestPermissionRefresh();
  }
  if (page_ == kHistoryPage || count_ % 3 == 1) loadHistory();
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

std::optional<Monitor::TimerPlan> Monitor::scheduled() const {
  if (!timer_.isActive()) return std::nullopt;
  return plan_;
}

void Monitor::newSegment(const std::string& reason) {
  segment_ = freshSegment();
  const double t = now();
  stateSince_ = t;
  previousState_.reset();
  alertEngine_.resetContinuity();
  dispatch([engine = engine_, reason, t]() -> std::function<void()> {
    engine->provider->reset();
    if (engine->store) {
      try {
        engine->store->event(t, "Monitoring", reason);
      } catch (const std::exception&) {
        // A lost segment marker must not disturb monitoring.
      }
    }
    return {};
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
}

void Monitor::didWake() {
  if (asleep_) {
    asleep_ = false;
    emit asleepChanged();
  }
  newSegment("Wake \u00B7 readings resume");
  sample();
}

void Monitor::clockChanged() {
  newSegment("Clock changed");
  sample();
}

void Monitor::settle() {
  for (;;) {
    queue_.drain();
    QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
    if (queue_.idle() && life_->pending == 0) return;
    if (life_->pending > 0 && queue_.idle()) {
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

double Monitor::rangeSpan(const std::string& range) {
  if (range == "Day") return 86400;
  if (range == "Week") return 604800;
  if (range == "Month") return 2592000;
  return 3600;
}

double Monitor::since() const { return now() - rangeSpan(range_); }

std::string Monitor::display(const Metric& metric) const {
  if (!metric.value || !std::isfinite(*metric.value)) return kNotAvailable;
  const double t = now();
  if (metric.timestamp > t || t - metric.timestamp > kFreshness || stale()) return kNotAvailable;
  if (metric.unit == "\u00B0C" && preferences_.unit == "Fahrenheit") {
    return fixed(*metric.value * 9 / 5 + 32, 1) + " \u00B0F";
  }
  return fixed(*metric.value, 1) + " " + metric.unit;
}

std::string Monitor::menuTitle() const {
  const std::string& menu = preferences_.menu;
  if (menu == "Icon only") return "";
  if (!reading_ || stale()) return "Paused";
  const Reading& r = *reading_;
  if (menu == "Thermal state") return title(r.state);
  if (menu == "CPU temperature") {
    for (const Metric& m : r.sensors) {
      if (m.name == "CPU temperature") return "CPU " + display(m);
    }
    return "CPU \u2014";
  }
  if (menu == "Numerical") {
    return r.cpu.value ? "CPU " + fixed(*r.cpu.value, 0) + "%" : "CPU \u2014";
  }
  return title(r.state) + " \u00B7 " +
         (r.cpu.value ? fixed(*r.cpu.value, 0) + "% CPU" : std::string("CPU \u2014"));
}

// ---------------------------------------------------------------- history

void Monitor::loadHistory() {
  dispatch([this, engine = engine_, clock = services_.clock,
            from = since()]() -> std::function<void()> {
    if (!engine->store) {
      return [this] {
        history_.clear();
        emit historyChanged();
        events_.clear();
        emit eventsChanged();
        durations_.clear();
        emit durationsChanged();
      };
    }
    try {
      auto history = engine->store->samples(from, clock->now(), kHistoryPoints);
      auto events = engine->store->events(from, kHistoryEvents);
      auto durations = engine->store->durations(from, clock->now());
      return [this, history = std::move(history), events = std::move(events),
              durations = std::move(durations)]() mutable {
        history_ = std::move(history);
        emit historyChanged();
        events_ = std::move(events);
        emit eventsChanged();
        durations_ = std::move(durations);
        emit durationsChanged();
      };
    } catch (const std::exception& e) {
      return [this, message = std::string(e.what())] { setHistoryProblem(message); };
    }
  });
}

void Monitor::clearHistory() {
  dispatch([this, engine = engine_]() -> std::function<void()> {
    try {
      if (engine->store) engine->store->clear();
    } catch (const std::exception& e) {
      return [this, message = std::string(e.what())] { setProblem(message); };
    }
    return [this] { loadHistory(); };
  });
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
        self->dispatch([self = self.data(), engine = self->engine_,
                        file = *file]() -> std::function<void()> {
          try {
            const ExportSummary summary = engine->store->exportTo(file);
            if (summary.skipped == 0) return {};
            return [self, skipped = summary.skipped] {
              self->setProblem("The export left out " + std::to_string(skipped) +
                               (skipped == 1 ? " unreadable record." : " unreadable records."));
            };
          } catch (const std::exception& e) {
            return [self, message = std::string(e.what())] { self->setProblem(message); };
          }
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

void Monitor::setRange(const std::string& range) {
  if (range == range_) return;
  range_ = range;
  emit rangeChanged();
}

void Monitor::setPage(const std::string& page) {
  if (page == page_) return;
  page_ = page;
  emit pageChanged();
}

void Monitor::setDetailVisible(bool visible) { detailVisible_ = visible; }

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

// ---------------------------------------------------------------- notifications, login item

void Monitor::refreshPermission(AuthorizationStatus status) {
  std::string text = kPermissionNotRequested;
  if (status == AuthorizationStatus::authorized) text = kPermissionAllowed;
  if (status == AuthorizationStatus::denied) text = kPermissionDenied;
  if (text == permission_) return;
  permission_ = std::move(text);
  emit permissionChanged();
}

void Monitor::requestPermissionRefresh() {
  services_.notifications->authorizationStatus([life = life_](AuthorizationStatus status) {
    post(life, [life, status] { life->self->refreshPermission(status); });
  });
}

void Monitor::requestAlerts() {
  services_.notifications->requestAuthorization(
      [life = life_](bool granted, std::optional<std::string> error) {
        post(life, [life, granted, error] {
          Monitor& m = *life->self;
          Preferences p = m.preferences_;
          p.alerts.enabled = granted;
          m.setPreferences(p);
          m.savePreferences();
          m.requestPermissionRefresh();
          if (error) m.setProblem(*error);
        });
      });
}

void Monitor::notify(const Reading& reading) {
  services_.defaults->setDate(kLastThermalAlertKey, reading.timestamp);
  const std::string& stateTitle = title(reading.state);
  UserNotification n{freshSegment(), stateTitle + " thermal pressure",
                     "macOS has reported sustained " + lowercase(stateTitle) +
                         " thermal pressure. Consider pausing demanding work and checking "
                         "ventilation."};
  emit alertPosted(n.title);
  services_.notifications->post(
      n, [life = life_, at = reading.timestamp, stateTitle](std::optional<std::string> error) {
        post(life, [life, at, stateTitle, error] {
          Monitor& m = *life->self;
          const std::string detail =
              error ? "Delivery failed: " + *error : "Notification submitted: " + stateTitle;
          m.dispatch([engine = m.engine_, at, detail]() -> std::function<void()> {
            if (engine->store) {
              try {
                engine->store->event(at, "Alert", detail);
              } catch (const std::exception&) {
                // The alert was shown (or its failure reported); a lost log line is harmless.
              }
            }
            return {};
          });
          if (error) m.setProblem("Notification could not be delivered: " + *error);
        });
      });
}

void Monitor::refreshLogin() {
  std::string text;
  switch (services_.loginItem->status()) {
    case LoginItemStatus::enabled: text = "Enabled"; break;
    case LoginItemStatus::requiresApproval: text = "Needs approval in System Settings"; break;
    case LoginItemStatus::notRegistered: text = "Off"; break;
    case LoginItemStatus::notFound: text = "Unavailable"; break;
  }
  if (text == loginStatus_) return;
  loginStatus_ = std::move(text);
  emit loginStatusChanged();
}

void Monitor::setLogin(bool enabled) {
  auto error = enabled ? services_.loginItem->registerItem() : services_.loginItem->unregisterItem();
  if (error) setProblem("Login item: " + *error);
  refreshLogin();
}

}  // namespace tempyra
