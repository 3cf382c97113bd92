#pragma once
#include <QDBusConnection>
#include <QDBusUnixFileDescriptor>
#include <QObject>
#include <QSocketNotifier>
#include <QStringList>
#include <QVariantMap>

#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

#include "app/system_events.h"

namespace tempyra {

// System events on Linux:
// - will sleep / did wake: logind's PrepareForSleep(true / false) on the system bus, with a
//   delay inhibitor held while awake so the will-sleep handler runs before the machine stops;
// - clock changed: a CLOCK_REALTIME timerfd armed with TFD_TIMER_CANCEL_ON_SET (the kernel
//   also cancels it on resume, which is told apart by the unchanged realtime-to-boottime
//   offset and not reported);
// - thermal state changed: the platform's thermal level, polled on a helper thread and
//   reported when it differs from the previous poll;
// - low-power mode: power-profiles-daemon's ActiveProfile == "power-saver" (the current bus
//   name first, then the legacy one), followed through PropertiesChanged.
// A missing bus or service delivers nothing and is not an error.
//
// REQUIRES: created, started and destroyed on the main thread; handlers run there.
class LinuxSystemEvents final : public QObject, public SystemEvents {
  Q_OBJECT
 public:
  struct Options {
    // The thermal level (0 nominal ... 3 critical, anything else unknown); empty: not polled.
    std::function<int()> thermalLevel;
    int thermalPollMilliseconds = 5000;
    bool watchClock = true;
  };

  LinuxSystemEvents(QDBusConnection systemBus, Options options, QObject* parent = nullptr);
  ~LinuxSystemEvents() override;

  // Starts watching at the first call; later calls replace the handlers.
  void start(SystemEventHandlers handlers) override;
  bool lowPowerMode() const override { return lowPower_; }

 private slots:
  void onPrepareForSleep(bool start);
  void onProfileChanged(const QString& interface, const QVariantMap& changed,
                        const QStringList& invalidated);

 private:
  void takeSleepDelay();
  void watchPowerProfiles(int candidate);
  void onClockFd();
  void armClockFd();
  void pollThermal();

  QDBusConnection bus_;
  Options options_;
  SystemEventHandlers handlers_;
  bool started_ = false;
  bool sleeping_ = false;
  bool lowPower_ = false;
  QDBusUnixFileDescriptor sleepDelay_;
  int clockFd_ = -1;
  double clockOffset_ = 0;
  std::unique_ptr<QSocketNotifier> clockNotifier_;
  std::thread poller_;
  std::mutex pollMutex_;
  std::condition_variable pollWake_;
  bool stopping_ = false;
};

}  // namespace tempyra
