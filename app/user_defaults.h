#pragma once
// The per-user key-value store of the application ("user defaults").
#include <optional>
#include <string>

#include "app/problem.h"

namespace tempyra {

// Keys the application keeps in the user defaults.
inline constexpr const char* kPreferencesKey = "preferences";          // bytes: JSON document
inline constexpr const char* kAppearanceKey = "appearance";            // "System", "Light", "Dark"
inline constexpr const char* kLastThermalAlertKey = "lastThermalAlert";  // date
inline constexpr const char* kShowTourKey = "quorvel.showTour";        // boolean
inline constexpr const char* kShowWelcomeKey = "quorvel.showWelcome";  // boolean
inline constexpr const char* kShowStepsKey = "quorvel.showSteps";      // boolean
// Without a tray, closing the dashboard first says once that monitoring goes on.
inline constexpr const char* kShowCloseNoticeKey = "quorvel.showCloseNotice";  // boolean
// Where the node_exporter textfile is written; absent while that is off.
inline constexpr const char* kMetricsFolderKey = "metricsFolder";  // string: a folder path
// Linux has no system-wide notification permission; the user's grant is remembered here.
inline constexpr const char* kNotificationGrantKey = "notificationAuthorization";  // string

// Each getter answers nothing when the key is absent or holds a value of another type.
// REQUIRES: main thread only.
class UserDefaults {
 public:
  virtual ~UserDefaults() = default;

  virtual std::optional<std::string> bytes(const std::string& key) const = 0;
  virtual void setBytes(const std::string& key, const std::string& value) = 0;

  virtual std::optional<std::string> string(const std::string& key) const = 0;
  virtual void setString(const std::string& key, const std::string& value) = 0;

  virtual std::optional<bool> boolean(const std::string& key) const = 0;
  virtual void setBoolean(const std::string& key, bool value) = 0;

  // Dates are seconds since 1970 UTC.
  virtual std::optional<double> date(const std::string& key) const = 0;
  virtual void setDate(const std::string& key, double value) = 0;

  virtual void remove(const std::string& key) = 0;

  // Why the values are not saved (the store's file cannot be used); nothing when they are.
  virtual std::optional<Problem> problem() const { return std::nullopt; }
};

}  // namespace tempyra
