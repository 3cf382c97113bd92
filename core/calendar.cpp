#include "core/calendar.h"

#include <cmath>
#include <ctime>

namespace tempyra {

namespace {

// Beyond about 3e16 s (a billion years) time_t conversion and the C library's year field stop
// being meaningful; such time points, and non-finite ones, are given hour 0.
constexpr double kLimit = 3e16;

}  // namespace

int LocalCalendar::hour(double secondsSince1970) const {
  if (!std::isfinite(secondsSince1970) || std::fabs(secondsSince1970) > kLimit) return 0;
  const auto t = static_cast<std::time_t>(std::floor(secondsSince1970));
  std::tm local{};
  if (localtime_r(&t, &local) == nullptr) return 0;
  return local.tm_hour;
}

int FixedOffsetCalendar::hour(double secondsSince1970) const {
  if (!std::isfinite(secondsSince1970) || std::fabs(secondsSince1970) > kLimit) return 0;
  double secondOfDay = std::fmod(std::floor(secondsSince1970) + offset_, 86400.0);
  if (secondOfDay < 0) secondOfDay += 86400.0;
  return static_cast<int>(secondOfDay / 3600.0);
}

}  // namespace tempyra
