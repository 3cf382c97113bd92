#include "app/linux_system_events.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusReply>
#include <QDBusVariant>

#include <sys/timerfd.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdint>

namespace tempyra {

namespace {

constexpr const char* kLogin = "org.freedesktop.login1";
constexpr const char* kLoginPath = "/org/freedesktop/login1";
constexpr const char* kLoginManager = "org.freedesktop.login1.Manager";
constexpr const char* kProperties = "org.freedesktop.DBus.Properties";

struct ProfileService {
  const char* name;
  const char* path;
  const char* interface;
};
// The current name first, then the legacy name that older daemons still use.
constexpr ProfileService kProfileServices[] = {
    {"org.freedesktop.UPower.PowerProfiles", "/org/freedesktop/UPower/PowerProfiles",
     "org.freedesktop.UPower.PowerProfiles"},
    {"net.hadess.PowerProfiles", "/net/hadess/PowerProfiles", "net.hadess.PowerProfiles"},
};

double seconds(clockid_t clock) {
  timespec ts{};
  clock_gettime(clock, &ts);
  return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
}

// Realtime minus boottime: constant across a suspend, moved only by setting the clock.
double realtimeOffset() { return seconds(CLOCK_REALTIME) - seconds(CLOCK_BOOTTIME); }

}  // namespace

LinuxSystemEvents::LinuxSystemEvents(QDBusConnection systemBus, Options options, QObject* parent)
    : QObject(parent), bus_(std::move(systemBus)), options_(std::move(options)) {}

LinuxSystemEvents::~LinuxSystemEvents() {
  {
    std::lock_guard lock(pollMutex_);
    stopping_ = true;
  }
  pollWake_.notify_all();
  if (poller_.joinable()) poller_.join();
  clockNotifier_.reset();
  if (clockFd_ >= 0) ::close(clockFd_);
}

void LinuxSystemEvents::start(SystemEventHandlers handlers) {
  handlers_ = std::move(handlers);
  // A second start (a new monitor on the same services) only takes over the handlers.
  if (started_) return;
  started_ = true;

  if (bus_.isConnected()) {
    bus_.connect(kLogin, kLoginPath, kLoginManager, "PrepareForSleep", this,
                 SLOT(onPrepareForSleep(bool)));
    takeSleepDelay();
    for (const ProfileService& s : kProfileServices) {
      bus_.connect(s.name, s.path, kProperties, "PropertiesChanged", this,
                   SLOT(onProfileChanged(QString, QVariantMap, QStringList)));
    }
    watchPowerProfiles(0);
  }

  if (options_.watchClock) {
    clockFd_ = timerfd_create(CLOCK_REALTIME, TFD_CLOEXEC | TFD_NONBLOCK);
    if (clockFd_ >= 0) {
      armClockFd();
      clockNotifier_ = std::make_unique<QSocketNotifier>(clockFd_, QSocketNotifier::Read);
      connect(clockNotifier_.get(), &QSocketNotifier::activated, this, [this] { onClockFd(); });
    }
  }

  if (options_.thermalLevel) poller_ = std::thread([this] { pollThermal(); });
}

void LinuxSystemEvents::takeSleepDelay() {
  QDBusMessage call = QDBusMessage::createMethodCall(kLogin, kLoginPath, kLoginManager, "Inhibit");
  call << QString("sleep") << QString("Tempyra") << QString("Marks the start of sleep in the history")
       << QString("delay");
  auto* watcher = new QDBusPendingCallWatcher(bus_.asyncCall(call), this);
  connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* w) {
    w->deleteLater();
    QDBusPendingReply<QDBusUnixFileDescriptor> reply = *w;
    // Without the lock (no logind, no fd passing, refused) sleep is still reported, only
    // without the guarantee that the handler ran first.
    if (!reply.isError()) sleepDelay_ = reply.value();
  });
}

void LinuxSystemEvents::onPrepareForSleep(bool start) {
  if (start) {
    // A repeated announcement is the same sleep, not a new one.
    if (sleeping_) return;
    sleeping_ = true;
    if (handlers_.willSleep) handlers_.willSleep();
    sleepDelay_ = QDBusUnixFileDescriptor();  // let the machine sleep
  } else {
    // Also delivered without a preceding announcement: the wake is still real.
    sleeping_ = false;
    if (handlers_.didWake) handlers_.didWake();
    takeSleepDelay();
  }
}

void LinuxSystemEvents::watchPowerProfiles(int candidate) {
  if (candidate >= static_cast<int>(std::size(kProfileServices))) return;
  const ProfileService& s = kProfileServices[candidate];
  QDBusMessage call = QDBusMessage::createMethodCall(s.name, s.path, kProperties, "Get");
  call << QString(s.interface) << QString("ActiveProfile");
  auto* watcher = new QDBusPendingCallWatcher(bus_.asyncCall(call), this);
  connect(watcher, &QDBusPendingCallWatcher::finished, this,
          [this, candidate](QDBusPendingCallWatcher* w) {
            w->deleteLater();
            QDBusPendingReply<QDBusVariant> reply = *w;
            if (reply.isError()) {
              watchPowerProfiles(candidate + 1);
              return;
            }
            lowPower_ = reply.value().variant().toString() == "power-saver";
          });
}

void LinuxSystemEvents::onProfileChanged(const QString& interface, const QVariantMap& changed,
                                         const QStringList&) {
  bool known = false;
  for (const ProfileService& s : kProfileServices) known = known || interface == s.interface;
  if (!known) return;
  const auto it = changed.find("ActiveProfile");
  if (it != changed.end()) lowPower_ = it->toString() == "power-saver";
}

void LinuxSystemEvents::armClockFd() {
  itimerspec when{};
  when.it_value.tv_sec = INT32_MAX;  // never expires; only a clock change wakes it
  timerfd_settime(clockFd_, TFD_TIMER_ABSTIME | TFD_TIMER_CANCEL_ON_SET, &when, nullptr);
  clockOffset_ = realtimeOffset();
}

void LinuxSystemEvents::onClockFd() {
  std::uint64_t expirations = 0;
  const ssize_t n = ::read(clockFd_, &expirations, sizeof expirations);
  if (n >= 0 || errno != ECANCELED) return;
  const double before = clockOffset_;
  armClockFd();
  // A resume cancels the timer as well; only a moved wall clock is a clock change.
  if (std::fabs(clockOffset_ - before) < 1.0) return;
  if (handlers_.clockChanged) handlers_.clockChanged();
}

void LinuxSystemEvents::pollThermal() {
  // Every level outside 0...3 is the same "unknown" state.
  auto level = [this] {
    const int l = options_.thermalLevel();
    return (l >= 0 && l <= 3) ? l : 4;
  };
  int previous = level();
  std::unique_lock lock(pollMutex_);
  for (;;) {
    if (pollWake_.wait_for(lock, std::chrono::milliseconds(options_.thermalPollMilliseconds),
                           [this] { return stopping_; })) {
      return;
    }
    lock.unlock();
    const int current = level();
    lock.lock();
    if (current == previous || stopping_) continue;
    previous = current;
    // Queued to the main thread; the destructor joins this thread before the object goes.
    QMetaObject::invokeMethod(
        this,
        [this] {
          if (handlers_.thermalStateChanged) handlers_.thermalStateChanged();
        },
        Qt::QueuedConnection);
  }
}

}  // namespace tempyra
