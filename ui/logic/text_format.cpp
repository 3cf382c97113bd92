#include "ui/logic/text_format.h"

#include <cmath>
#include <cstdio>
#include <ctime>

namespace tempyra {

namespace {

std::string localTime(double secondsSince1970, const char* format) {
  if (!std::isfinite(secondsSince1970)) return "—";
  const std::time_t t = static_cast<std::time_t>(std::floor(secondsSince1970));
  std::tm tm{};
  if (!localtime_r(&t, &tm)) return "—";
  char buffer[128];
  const std::size_t n = std::strftime(buffer, sizeof buffer, format, &tm);
  return std::string(buffer, n);
}

}  // namespace

std::string durationText(double seconds) {
  if (!std::isfinite(seconds)) return "—";
  // Above ~2.9e14 years the whole-second count no longer fits; such values come from no store.
  const double whole = std::trunc(std::min(std::max(seconds, 0.0), 9.0e18));
  const long long t = static_cast<long long>(whole);
  return std::to_string(t / 3600) + "h " + std::to_string(t % 3600 / 60) + "m " +
         std::to_string(t % 60) + "s";
}

std::string timeOfDayWithSeconds(double s) { return localTime(s, "%X"); }
std::string shortTimeOfDay(double s) { return localTime(s, "%H:%M"); }
std::string abbreviatedDateTime(double s) { return localTime(s, "%-d %b %Y %X"); }
std::string dateAndTime(double s) { return localTime(s, "%x %X"); }

std::string formatNumber(const char* format, double value) {
  char buffer[128];
  const int n = std::snprintf(buffer, sizeof buffer, format, value);
  if (n < 0) return {};
  return std::string(buffer, static_cast<std::size_t>(std::min<int>(n, sizeof buffer - 1)));
}

Tint stateTint(ThermalState state) {
  switch (state) {
    case ThermalState::nominal: return Tint::green;
    case ThermalState::fair: return Tint::yellow;
    case ThermalState::serious: return Tint::orange;
    case ThermalState::critical: return Tint::red;
    case ThermalState::unknown: break;
  }
  return Tint::secondary;
}

Tint statusTint(bool stale, const std::optional<ThermalState>& state) {
  if (stale) return Tint::grey;
  if (!state) return Tint::secondary;
  return stateTint(*state);
}

}  // namespace tempyra
