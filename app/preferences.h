#pragma once
// The user's monitoring settings and their JSON form.
#include <cstdint>
#include <map>
#include <string>
#include <string_view>

#include "core/alert_settings.h"
#include "core/expected.h"

namespace tempyra {

// The unit temperatures are shown in.
enum class TemperatureUnit { celsius, fahrenheit };
// What the tray title shows, in the order offered to the user.
enum class MenuMode { iconOnly, thermalState, cpuTemperature, numerical, mixed };

struct Preferences {
  TemperatureUnit unit = TemperatureUnit::celsius;
  MenuMode menu = MenuMode::mixed;
  std::int64_t retention = 30;   // days of history kept
  bool activity = true;          // collect process activity
  bool advanced = false;         // show advanced provenance
  AlertSettings alerts;
  // Stored values that were not taken on load (an unknown unit or menu name, a number outside
  // its range), by JSON pointer ("/unit", "/alerts/sustained"), as JSON text; the field holds
  // its default instead. Each is written back as found while its field still holds that default
  // and until the user picks that setting (forget()).
  std::map<std::string, std::string> kept;

  friend bool operator==(const Preferences&, const Preferences&) = default;

  // True while the stored value at `pointer` is kept and written back in place of the field.
  bool keeps(const std::string& pointer) const;
  void forget(const std::string& pointer) { kept.erase(pointer); }
};

// JSON pointers of the settings that may be kept.
inline constexpr const char* kUnitPointer = "/unit";
inline constexpr const char* kMenuPointer = "/menu";
inline constexpr const char* kRetentionPointer = "/retention";
inline constexpr const char* kSustainedPointer = "/alerts/sustained";
inline constexpr const char* kCooldownPointer = "/alerts/cooldown";
inline constexpr const char* kQuietStartPointer = "/alerts/quietStart";
inline constexpr const char* kQuietEndPointer = "/alerts/quietEnd";
inline constexpr const char* kSnoozePointer = "/alerts/snoozeUntil";

// The ranges a stored number must lie in (inclusive); anything else, or a fraction where a
// whole number is wanted, takes the default. The settings page offers values inside them; a
// value inside but not offered stays in use and its picker shows no selection.
inline constexpr std::int64_t kRetentionDaysMin = 1, kRetentionDaysMax = 3650;  // ten years
inline constexpr double kSustainedMax = 86400;       // a day, in seconds
inline constexpr double kCooldownMax = 7 * 86400.0;  // a week
// The snooze end, in seconds from 2001, within about 3,000 years (the distant past included).
inline constexpr double kSnoozeLimit = 1e11;

// Compact JSON object with the six keys "unit", "menu", "retention", "activity", "advanced",
// "alerts"; the snooze time inside "alerts" counts seconds from 2001. The unit is stored as
// "Celsius" or "Fahrenheit", the menu mode as "Icon only", "Thermal state", "CPU temperature",
// "Numerical" or "Mixed".
Expected<std::string> encodeJson(const Preferences& p);
// Requires all six keys with the right types (no key falls back to its default). Any text is
// accepted for unit and menu: an unknown unit reads as Celsius, an unknown menu mode as Mixed.
// A number outside its range (negative durations, hours outside 0-23, retention below one day,
// 1e308) takes its default. Unknown names and such numbers go to `kept`.
Expected<Preferences> decodePreferences(std::string_view json);

}  // namespace tempyra
