#pragma once
// Thermal alerts: the notification permission, the alert engine's verdict on each accepted
// reading, delivery (logged as an alert event) and the test notification.
//
// Threads: every member is called on the main thread; the notification service answers on any
// thread and its answers come back through the relay. The alert event is written on the
// sampling queue.
#include <QObject>

#include <memory>
#include <string>

#include "app/notification_center.h"
#include "app/problem.h"
#include "app/relay.h"
#include "app/sampling_engine.h"
#include "app/serial_queue.h"
#include "app/user_defaults.h"
#include "core/alert_engine.h"
#include "core/alert_settings.h"
#include "core/calendar.h"
#include "core/reading.h"

namespace tempyra {

class AlertNotifier : public QObject {
  Q_OBJECT

 public:
  // Reads the time of the last alert from the user defaults.
  // REQUIRES: `queue` outlives the notifier; `relay` delivers to the main thread.
  AlertNotifier(std::shared_ptr<NotificationCenter> notifications,
                std::shared_ptr<UserDefaults> defaults, std::shared_ptr<Calendar> calendar,
                SerialQueue& queue, std::shared_ptr<SamplingEngine> engine,
                std::shared_ptr<Relay> relay);

  // Notifications are posted only while this is `authorized`.
  AuthorizationStatus permission() const { return permission_; }

  // An accepted reading: alerts when `settings` (enabled only with permission when the sample
  // started) and the alert engine say so.
  void observe(const Reading& reading, const AlertSettings& settings);
  // A new monitoring segment: the alert engine's continuity starts over.
  void newSegment() { engine_.resetContinuity(); }
  void refreshPermission(AuthorizationStatus status);
  // Asks the notification service for the permission; the answer arrives later.
  void requestPermissionRefresh();
  // Asks for permission; answers with alertsAnswered, a failure also with failed.
  void requestAlerts();
  // Asks the notification server and, when it answers, shows a test notification; a failure
  // becomes the problem.
  void sendTestNotification();

 signals:
  void permissionChanged();
  // Whether alerts are on after the user was asked.
  void alertsAnswered(bool enabled);
  // A request or a delivery failed: the monitor's problem.
  void failed(const Problem& problem);

 private:
  void notify(const Reading& reading);

  std::shared_ptr<NotificationCenter> notifications_;
  std::shared_ptr<UserDefaults> defaults_;
  std::shared_ptr<Calendar> calendar_;
  SerialQueue& queue_;
  std::shared_ptr<SamplingEngine> sampling_;
  std::shared_ptr<Relay> relay_;
  AlertEngine engine_;
  AuthorizationStatus permission_ = AuthorizationStatus::notDetermined;
};

}  // namespace tempyra
