#pragma once
#include <string>
#include <string_view>
#include <vector>

#include "core/expected.h"
#include "core/reading.h"

namespace tempyra {

// Plain-language explanation of one reading, produced by Rules::evaluate. Never stored.
struct Advice {
  int version = 1;  // version of the rule set; always 1
  std::string headline;
  std::string detail;
  std::vector<std::string> evidence;

  friend bool operator==(const Advice&, const Advice&) = default;
};

Expected<std::string> encodeJson(const Advice& a);
Expected<Advice> decodeAdvice(std::string_view json);

namespace Rules {

// The fixed, deterministic rule set (version 1).
// duration: seconds spent in reading.state; now: current time (seconds since 1970);
// freshness: greatest age in seconds at which the reading still describes the machine
// (negative while paused or asleep, which makes every reading stale).
// The stale evidence line formats the reading's time in the user's locale (LC_TIME).
Advice evaluate(const Reading& reading, double duration, double now, double freshness);

}  // namespace Rules

// The reading's time as a numeric date and a time of day without seconds, in the user's
// locale (LC_TIME), local time zone.
std::string formatShortDateTime(double secondsSince1970);

// A strftime time format (the locale's T_FMT, with T_FMT_AMPM for %r) without its seconds
// field: "%H:%M:%S" gives "%H:%M", "%r" with "%I:%M:%S %p" gives "%I:%M %p".
std::string timeFormatWithoutSeconds(std::string_view timeFormat, std::string_view ampmFormat);

}  // namespace tempyra
