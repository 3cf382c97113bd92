#pragma once
// Starting the application at login.
#include <optional>
#include <string>

namespace tempyra {

enum class LoginItemStatus { enabled, requiresApproval, notRegistered, notFound };

// REQUIRES: main thread only; every call is synchronous.
class LoginItem {
 public:
  virtual ~LoginItem() = default;
  virtual LoginItemStatus status() const = 0;
  // Each answers the failure as one line for the user, or nothing on success.
  virtual std::optional<std::string> registerItem() = 0;
  virtual std::optional<std::string> unregisterItem() = 0;
};

}  // namespace tempyra
