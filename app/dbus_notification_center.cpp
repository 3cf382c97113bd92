#include "app/dbus_notification_center.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusVariant>
#include <QTimer>
#include <QVariantMap>

#include "app/session_bus.h"

namespace tempyra {

namespace {

constexpr const char* kService = "org.freedesktop.Notifications";
constexpr const char* kPath = "/org/freedesktop/Notifications";
constexpr const char* kInterface = "org.freedesktop.Notifications";
constexpr const char* kGranted = "authorized";

std::string describe(const QDBusError& error) {
  QString text = error.message().isEmpty() ? error.name() : error.message();
  return text.simplified().toStdString();
}

// Without any session bus the connection's own error only names the address that stands in for
// the missing bus; with one that failed, its error says why.
std::string unconnected(const QDBusConnection& bus) {
  if (!sessionBusAdvertised(processEnvironment())) {
    return "No desktop session bus is running, so notifications cannot be shown.";
  }
  return "No desktop session bus: " + describe(bus.lastError());
}

}  // namespace

DBusNotificationCenter::DBusNotificationCenter(QDBusConnection bus,
                                               std::shared_ptr<UserDefaults> defaults,
                                               std::string appIcon, QObject* parent)
    : QObject(parent),
      bus_(std::move(bus)),
      defaults_(std::move(defaults)),
      appIcon_(std::move(appIcon)) {}

void DBusNotificationCenter::authorizationStatus(std::function<void(AuthorizationStatus)> done) {
  const bool granted = defaults_->string(kNotificationGrantKey) == std::string(kGranted);
  // Always answered later, like a system service would, so callers never re-enter themselves.
  QTimer::singleShot(0, this, [done = std::move(done), granted] {
    done(granted ? AuthorizationStatus::authorized : AuthorizationStatus::notDetermined);
  });
}

void DBusNotificationCenter::requestAuthorization(
    std::function<void(Expected<bool>)> done) {
  if (!bus_.isConnected()) {
    std::string reason = unconnected(bus_);
    QTimer::singleShot(0, this, [done = std::move(done), reason] { done(Error{reason}); });
    return;
  }
  QDBusMessage call =
      QDBusMessage::createMethodCall(kService, kPath, kInterface, "GetServerInformation");
  auto* watcher = new QDBusPendingCallWatcher(bus_.asyncCall(call, timeout_), this);
  connect(watcher, &QDBusPendingCallWatcher::finished, this,
          [this, done = std::move(done)](QDBusPendingCallWatcher* w) {
            w->deleteLater();
            if (w->isError()) {
              done(Error{"No notification server answered: " + describe(w->error())});
              return;
            }
            defaults_->setString(kNotificationGrantKey, kGranted);
            done(true);
          });
}

void DBusNotificationCenter::post(const UserNotification& notification,
                                  std::function<void(Status)> done) {
  if (!bus_.isConnected()) {
    std::string reason = unconnected(bus_);
    QTimer::singleShot(0, this, [done = std::move(done), reason] { done(Error{reason}); });
    return;
  }
  QVariantMap hints;
  hints.insert("urgency", QVariant::fromValue(static_cast<uchar>(1)));
  hints.insert("category", QString("device"));
  hints.insert("desktop-entry", QString("com.quorvel.tempyra"));
  // The sound theme's name for a warning: an alert about the machine is a warning, not an
  // arriving message ("message-new-instant"), and servers without sounds ignore the hint.
  hints.insert("sound-name", QString("dialog-warning"));
  QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kInterface, "Notify");
  call << QString("Tempyra") << static_cast<uint>(0) << QString::fromStdString(appIcon_)
       << QString::fromStdString(notification.title) << QString::fromStdString(notification.body)
       << QStringList() << hints << static_cast<int>(-1);
  auto* watcher = new QDBusPendingCallWatcher(bus_.asyncCall(call, timeout_), this);
  connect(watcher, &QDBusPendingCallWatcher::finished, this,
          [done = std::move(done)](QDBusPendingCallWatcher* w) {
            w->deleteLater();
            if (w->isError()) {
              done(Error{describe(w->error())});
            } else {
              done(Status{});
            }
          });
}

}  // namespace tempyra
