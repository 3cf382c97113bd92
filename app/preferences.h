#pragma once
// The user's monitoring settings and their JSON form.
#include <cstdint>
#include <string>
#include <string_view>

#include "core/alert_settings.h"
#include "core/expected.h"

namespace tempyra {

// Texts offered to the user, in the order offered.
inline constexpr const char* kMenuModes[] = {"Icon only", "Thermal state", "CPU temperature",
                                             "Numerical", "Mixed"};

struct Preferences {
  std::string unit = "Celsius";  // "Celsius" or "Fahrenheit"; any other text means Celsius
  std::string menu = "Mixed";    // one of kMenuModes; any other text behaves like "Mixed"
  std::int64_t retention = 30;   // days of history kept
  bool activity = true;          // collect process activity
  bool advanced = false;         // show advanced provenance
  AlertSettings alerts;

  friend bool operator==(const Preferences&, const Preferences&) = default;
};

// Compact JSON object with the six keys "unit", "menu", "retention", "activity", "advanced",
// "alerts"; the snooze time inside "alerts" counts seconds from 2001.
Expected<std::string> encodeJson(const Preferences& p);
// Requires all six keys with the right types (no key falls back to its default); any text is
// accepted for unit and menu.
Expected<Preferences> decodePreferences(std::string_view json);

}  // namespace tempyra
