#pragma once
#include <QDBusConnection>
#include <QObject>

#include <memory>
#include <string>

#include "app/notification_center.h"
#include "app/user_defaults.h"

namespace tempyra {

// Desktop notifications through org.freedesktop.Notifications on the session bus. Each names
// the application, its icon and desktop entry, and asks for the sound theme's warning sound.
//
// The desktop has no permission prompt, so the permission is modelled on the user's own
// choice: "not determined" until the user asks; asking succeeds when a notification server
// answers GetServerInformation, and the grant is then kept in the user defaults. When no
// server answers, the request fails with the bus's reason and nothing is remembered.
//
// REQUIRES: main thread only; completions run on the main thread.
class DBusNotificationCenter final : public QObject, public NotificationCenter {
  Q_OBJECT
 public:
  // appIcon: the application's icon, as an icon name or a file URI (desktopIconReference).
  DBusNotificationCenter(QDBusConnection bus, std::shared_ptr<UserDefaults> defaults,
                         std::string appIcon, QObject* parent = nullptr);

  void authorizationStatus(std::function<void(AuthorizationStatus)> done) override;
  void requestAuthorization(
      std::function<void(Expected<bool> granted)> done) override;
  void post(const UserNotification& notification,
            std::function<void(Status delivered)> done) override;

  // Milliseconds a call may take before it counts as unanswered.
  void setTimeout(int milliseconds) { timeout_ = milliseconds; }

 private:
  QDBusConnection bus_;
  std::shared_ptr<UserDefaults> defaults_;
  std::string appIcon_;
  int timeout_ = 5000;
};

}  // namespace tempyra
