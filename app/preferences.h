#pragma once
// The user's monitoring settings and their JSON form.
#include <cstdint>
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

  friend bool operator==(const Preferences&, const Preferences&) = default;
};

// Compact JSON object with the six keys "unit", "menu", "retention", "activity", "advanced",
// "alerts"; the snooze time inside "alerts" counts seconds from 2001. The unit is stored as
// "Celsius" or "Fahrenheit", the menu mode as "Icon only", "Thermal state", "CPU temperature",
// "Numerical" or "Mixed".
Expected<std::string> encodeJson(const Preferences& p);
// Requires all six keys with the right types (no key falls back to its default). Any text is
// accepted for unit and menu: an unknown unit reads as Celsius, an unknown menu mode as Mixed.
Expected<Preferences> decodePreferences(std::string_view json);

}  // namespace tempyra
