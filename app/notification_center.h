#pragma once
// Local user notifications.
#include <functional>
#include <optional>
#include <string>

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
  // error: the reason as one line for the user, when the request could not be answered.
  virtual void requestAuthorization(
      std::function<void(bool granted, std::optional<std::string> error)> done) = 0;
  virtual void post(const UserNotification& notification,
                    std::function<void(std::optional<std::string> error)> done) = 0;
};

}  // namespace tempyra
