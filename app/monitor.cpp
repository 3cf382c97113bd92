#include "app/monitor.h"

#include <QCoreApplication>
#include <QPointer>

#include <algorithm>
#include <utility>

#include "app/fresh_uuid.h"

namespace tempyra {

namespace {

// Seconds a hot state's timer waits, and how far the system may move it to coalesce wake-ups.
constexpr double kHotInterval = 10, kHotTolerance = 1;
constexpr double kVisibleInterval = 30, kIdleInterval = 60, kCoolTolerance = 5;
// Every tenth accepted reading runs retention and refreshes the permission.
constexpr long long kRetentionEvery = 10;

}  // namespace

struct Monitor::SampleResult {
  Reading reading;
  DeviceProfile profile;
  std::optional<std::string> saveError;
  std::string segment;  // the segment the sample was taken for
  bool allowed;         // whether notifications were authorised when the sample started
};

Monitor::Monitor(MonitorServices services, QObject* parent)
    : MonitorSurface(parent),
      services_(std::move(services)),
      engine_(std::make_shared<SamplingEngine>()),
      relay_(Relay::create(this)),
      demo_(services_.info->boolean(kDemoDataKey).value_or(false)),
      feed_(queue_, engine_, relay_, services_.clock),
      away_(services_.defaults, services_.clock, feed_),
      metrics_(queue_, relay_, services_.defaults, demo_),
      alerts_(services_.notifications, services_.defaults, services_.calendar, queue_, engine_,
              relay_) {
  connect(&feed_, &HistoryFeed::changed, this, [this] { touch(historyPart); });
  connect(&feed_, &HistoryFeed::failed, this, &Monitor::setProblem);
  connect(&away_, &AwayTracker::awayChanged, this, [this] { touch(livePart); });
  connect(&metrics_, &MetricsExporter::changed, this, [this] { touch(setupPart); });
  connect(&alerts_, &AlertNotifier::permissionChanged, this, [this] { touch(setupPart); });
  connect(&alerts_, &AlertNotifier::failed, this, &Monitor::setProblem);
  connect(&alerts_, &AlertNotifier::alertsAnswered, this, [this](bool enabled) {
    Batch batch(*this);
    Preferences p = preferences_;
    p.alerts.enabled = enabled;
    setPreferences(p);
    savePreferences();
  });
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

  // 3.-6. Provider, profile, store and demonstration seed, built on the sampling queue so that
  // the engine objects are never touched anywhere else.
  HistoryFeed::OpenProblem storeProblem;
  bool hasStore = false;
  queue_.sync([&, engine = engine_.get()] {
    engine->provider = services_.makeProvider(demo_);
    profile_ = engine->provider->profile();
    storeProblem = HistoryFeed::openOnQueue(*engine, services_.storePath, demo_, profile_,
                                            services_.clock->now());
    hasStore = engine->store != nullptr;
  });
  feed_.opened(hasStore, std::move(storeProblem));
  announcedSetup_ = setup();

  // 7. System observers; each holds the monitor weakly.
  const auto weakly = [self = QPointer<Monitor>(this)](void (Monitor::*member)()) {
    return [self, member] {
      if (self) (self.data()->*member)();
    };
  };
  services_.events->start(SystemEventHandlers{weakly(&Monitor::sample),
                                              weakly(&Monitor::willSleep),
                                              weakly(&Monitor::didWake),
                                              weakly(&Monitor::clockChanged)});

  // 8.-11.
  alerts_.requestPermissionRefresh();
  refreshLogin();
  sample();
  loadHistory();
}

Monitor::~Monitor() {
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
               allowed = alerts_.permission() == AuthorizationStatus::authorized] {
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
  Batch batch(*this);
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
  reading_ = r;
  touch(livePart | setupPart);
  if (result.saveError) feed_.saveFailed(*result.saveError);

  AlertSettings settings = preferences_.alerts;
  settings.enabled = settings.enabled && result.allowed;
  alerts_.observe(*reading_, settings);
  metrics_.observe(*reading_);

  ++count_;
  if (count_ % kRetentionEvery == 0) {
    feed_.prune(preferences_.retention);
    alerts_.requestPermissionRefresh();
  }
  if (feed_.historyShown() || count_ % 3 == 1) feed_.load();
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
  alerts_.newSegment();
  queue_.async([engine = engine_, reason, t] {
    engine->provider->reset();
    // A lost segment marker must not disturb monitoring: its failure is not reported.
    if (engine->store) engine->store->event(t, EventKind::monitoring, reason);
  });
}

void Monitor::togglePause() {
  Batch batch(*this);
  paused_ = !paused_;
  touch(livePart);
  timer_.stop();
  plan_.reset();
  newSegment(paused_ ? "Paused by user" : "Resumed by user");
  if (!paused_) sample();
}

void Monitor::willSleep() {
  Batch batch(*this);
  if (!std::exchange(asleep_, true)) touch(livePart);
  timer_.stop();
  plan_.reset();
  newSegment("Sleep");
  away_.willSleep();
}

void Monitor::didWake() {
  Batch batch(*this);
  if (std::exchange(asleep_, false)) touch(livePart);
  newSegment("Wake \u00B7 readings resume");
  sample();
  away_.didWake();
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

LiveFacts Monitor::liveFacts() const {
  return {reading_, paused_, asleep_, problem_, away_.away(), stateSince_};
}

LiveState Monitor::live() const { return liveAt(liveFacts(), now()); }

SetupState Monitor::setup() const {
  return {preferences_, alerts_.permission(), loginStatus_, metrics_.folder(),
          metrics_.problem(), profile_, demo_};
}

void Monitor::touch(int parts) {
  changed_ |= parts;
  if (batches_ == 0) flush();
}

void Monitor::flush() {
  const int parts = std::exchange(changed_, 0);
  if (parts & livePart) emit liveChanged();
  if (parts & historyPart) emit historyChanged();
  if (parts & setupPart) {
    SetupState now = setup();
    if (now == announcedSetup_) return;
    announcedSetup_ = std::move(now);
    emit setupChanged();
  }
}

void Monitor::setFileChooser(std::shared_ptr<FileChooser> chooser) {
  services_.fileChooser = std::move(chooser);
}

// ---------------------------------------------------------------- preferences

void Monitor::setPreferences(const Preferences& preferences) {
  if (preferences == preferences_) return;
  preferences_ = preferences;
  touch(setupPart);
}

void Monitor::savePreferences() {
  // An encoding failure stores nothing; the published value keeps the user's change.
  if (auto json = encodeJson(preferences_)) services_.defaults->setBytes(kPreferencesKey, *json);
}

void Monitor::resetPreferences() {
  Batch batch(*this);
  setPreferences(Preferences{});
  services_.defaults->setString(kAppearanceKey, "System");
  savePreferences();
  emit defaultsChanged();
}

void Monitor::setHistoryView(bool historyPageSelected, HistoryRange range) {
  feed_.setView(historyPageSelected, range);
}

void Monitor::setDetailVisible(bool visible) {
  Batch batch(*this);
  detailVisible_ = visible;
  const bool opening = visible && !away_.dashboardOpen();
  feed_.setWindowOpen(visible);
  away_.setDashboardOpen(visible);
  // Episodes were not read while the window was closed.
  if (opening && feed_.historyShown()) feed_.load();
  // Opening the dashboard brings a waiting idle sample forward to the visible cadence, counted
  // from the last reading (at once when that is already due).
  const bool hot = reading_ && isHot(reading_->state);
  if (!visible || !reading_ || hot || !timer_.isActive() || !plan_ ||
      plan_->interval <= kVisibleInterval || services_.events->lowPowerMode()) {
    return;
  }
  const double wait = std::max(0.0, reading_->timestamp + kVisibleInterval - now());
  timer_.start(static_cast<int>(wait * 1000));
  plan_ = TimerPlan{wait, kCoolTolerance};
}

void Monitor::setProblem(const Problem& problem) {
  if (problem_ == problem) return;
  problem_ = problem;
  touch(livePart);
}

void Monitor::clearProblem() {
  if (!problem_) return;
  problem_.reset();
  touch(livePart);
}

// ---------------------------------------------------------------- login item

void Monitor::refreshLogin() {
  const LoginItemStatus status = services_.loginItem->status();
  if (status == loginStatus_) return;
  loginStatus_ = status;
  touch(setupPart);
}

void Monitor::setLogin(bool enabled) {
  Batch batch(*this);
  const Status done =
      enabled ? services_.loginItem->registerItem() : services_.loginItem->unregisterItem();
  if (!done) setProblem({ProblemKind::loginItemFailed, done.error()});
  refreshLogin();
}

}  // namespace tempyra
