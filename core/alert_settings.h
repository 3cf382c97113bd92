#pragma once
#include <cstdint>
#include <string>
#include <string_view>

#include <nlohmann/json_fwd.hpp>

#include "core/calendar.h"
#include "core/expected.h"

namespace tempyra {

// Seconds between 1970-01-01 and 2001-01-01 UTC: the preferences document counts its one
// time point (snoozeUntil) from 2001.
inline constexpr double kSeconds1970To2001 = 978307200.0;
// The distant past (year 1), in seconds since 1970: earlier than any real time. Written in the
// preferences document as -63114076800 (seconds since 2001), which reads back exactly.
inline constexpr double kDistantPast = -63114076800.0 + kSeconds1970To2001;

// The user's alert preferences. Nothing is validated or clamped here.
struct AlertSettings {
  bool enabled = false;
  double sustained = 60;   // seconds
  double cooldown = 900;   // seconds
  bool quietEnabled = false;
  std::int64_t quietStart = 22;  // hour, inclusive
  std::int64_t quietEnd = 8;     // hour, exclusive
  double snoozeUntil = kDistantPast;  // seconds since 1970

  bool isQuiet(double date, const Calendar& calendar) const;

  friend bool operator==(const AlertSettings&, const AlertSettings&) = default;
};

// JSON object with all seven keys; "snoozeUntil" as seconds since 2001. Decoding requires all
// seven with the right types.
nlohmann::json toJson(const AlertSettings& s);
Expected<AlertSettings> alertSettingsFromJson(const nlohmann::json& j);

}  // namespace tempyra
