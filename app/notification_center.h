#pragma once
// Local user notifications.
#include <functional>
#include <string>

#include "core/expected.h"

namespace tempyra {

enum class AuthorizationStatus { notDetermined, denied, authorized, provisional };

// One immediate notification with the default sound.
struct UserNotification {
  std::string identifier;  // fresh UUID text
  std::string title;
  std::string body;
};

// Completions may run on any thread; the caller moves to its own thread before acting.
class NotificationCenter {
 public:
  virtual ~NotificationCenter() = default;
  virtual void authorizationStatus(std::function<void(AuthorizationStatus)> done) = 0;
  // Whether the user granted notifications, or why the request could not be answered (one line
  // for the user).
  virtual void requestAuthorization(std::function<void(Expected<bool> granted)> done) = 0;
  // Success, or why the notification could not be delivered.
  virtual void post(const UserNotification& notification,
                    std::function<void(Status delivered)> done) = 0;
};

}  // namespace tempyra
