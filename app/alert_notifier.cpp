#include "app/alert_notifier.h"

#include "app/fresh_uuid.h"
#include "app/thermal_alert_notification.h"

namespace tempyra {

namespace {
constexpr double kAlertFreshness = 90;
}  // namespace

AlertNotifier::AlertNotifier(std::shared_ptr<NotificationCenter> notifications,
                             std::shared_ptr<UserDefaults> defaults,
                             std::shared_ptr<Calendar> calendar, SerialQueue& queue,
                             std::shared_ptr<SamplingEngine> engine, std::shared_ptr<Relay> relay)
    : notifications_(std::move(notifications)),
      defaults_(std::move(defaults)),
      calendar_(std::move(calendar)),
      queue_(queue),
      sampling_(std::move(engine)),
      relay_(std::move(relay)),
      engine_(defaults_->date(kLastThermalAlertKey)) {}

void AlertNotifier::observe(const Reading& reading, const AlertSettings& settings) {
  if (engine_.evaluate(reading, settings, reading.timestamp, *calendar_, kAlertFreshness)) {
    notify(reading);
  }
}

void AlertNotifier::refreshPermission(AuthorizationStatus status) {
  if (status == permission_) return;
  permission_ = status;
  emit permissionChanged();
}

void AlertNotifier::requestPermissionRefresh() {
  notifications_->authorizationStatus([this, relay = relay_](AuthorizationStatus status) {
    relay->post([this, status] { refreshPermission(status); });
  });
}

void AlertNotifier::requestAlerts() {
  notifications_->requestAuthorization([this, relay = relay_](Expected<bool> granted) {
    relay->post([this, granted] {
      emit alertsAnswered(granted && *granted);
      requestPermissionRefresh();
      if (!granted) emit failed({ProblemKind::reported, granted.error()});
    });
  });
}

void AlertNotifier::sendTestNotification() {
  notifications_->requestAuthorization([this, relay = relay_](Expected<bool> granted) {
    relay->post([this, relay, granted] {
      requestPermissionRefresh();
      if (!granted || !*granted) {
        emit failed(granted ? Problem{ProblemKind::noNotificationServer, {}}
                            : Problem{ProblemKind::reported, granted.error()});
        return;
      }
      const UserNotification n{freshUuid(), "Tempyra test notification",
                               "Thermal alerts will appear like this."};
      notifications_->post(n, [this, relay](Status posted) {
        relay->post([this, posted] {
          if (!posted) emit failed({ProblemKind::deliveryFailed, posted.error()});
        });
      });
    });
  });
}

void AlertNotifier::notify(const Reading& reading) {
  defaults_->setDate(kLastThermalAlertKey, reading.timestamp);
  const std::string& stateTitle = title(reading.state);
  const UserNotification n = thermalAlertNotification(reading.state, freshUuid());
  notifications_->post(n, [this, relay = relay_, at = reading.timestamp,
                           stateTitle](Status delivered) {
    relay->post([this, at, stateTitle, delivered] {
      const std::string detail = delivered ? "Notification submitted: " + stateTitle
                                           : "Delivery failed: " + delivered.error();
      queue_.async([engine = sampling_, at, detail] {
        // The alert was shown (or its failure reported); a lost log line is harmless.
        if (engine->store) engine->store->event(at, EventKind::alert, detail);
      });
      if (!delivered) emit failed({ProblemKind::deliveryFailed, delivered.error()});
    });
  });
}

}  // namespace tempyra
