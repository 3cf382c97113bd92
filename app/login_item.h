#pragma once
// Starting the application at login.
#include "core/expected.h"

namespace tempyra {

enum class LoginItemStatus { enabled, requiresApproval, notRegistered, notFound };

// REQUIRES: main thread only; every call is synchronous.
class LoginItem {
 public:
  virtual ~LoginItem() = default;
  virtual LoginItemStatus status() const = 0;
  // Success, or the failure as one line for the user.
  virtual Status registerItem() = 0;
  virtual Status unregisterItem() = 0;
};

}  // namespace tempyra
