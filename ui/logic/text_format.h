#pragma once
// Number, time and colour rules shared by the popover, the dashboard and the charts. Time
// points are seconds since 1970 UTC; times of day are local time in the user's locale (LC_TIME).
#include <optional>
#include <string>

#include "core/thermal_state.h"

namespace tempyra {

// "1h 2m 5s": seconds truncated toward zero, hours never folded into days, all three parts
// always present. Negative input counts as 0; a non-finite one is shown as "—".
std::string durationText(double seconds);

// Time of day with seconds, no date ("20:15:07" in most locales).
std::string timeOfDayWithSeconds(double secondsSince1970);
// Time of day without seconds and without date.
std::string shortTimeOfDay(double secondsSince1970);
// Abbreviated date with time of day in seconds ("6 Dec 2026 20:15:07").
std::string abbreviatedDateTime(double secondsSince1970);
// Numeric date and time of day with seconds.
std::string dateAndTime(double secondsSince1970);

// printf-style formatting of one double ("%.1f", "Battery %.0f%%"). REQUIRES: `format` holds
// exactly one double conversion.
std::string formatNumber(const char* format, double value);

// The colours that the popover, the dashboard and the charts share.
enum class Tint { green, yellow, orange, red, secondary, grey };

// The state colour: nominal green, fair yellow, serious orange, critical red, unknown the
// secondary colour.
Tint stateTint(ThermalState state);
// The status dot: grey while stale, the secondary colour without a reading, else the state's.
Tint statusTint(bool stale, const std::optional<ThermalState>& state);

}  // namespace tempyra
