#include "ui/logic/chart_ticks.h"

#include <algorithm>
#include <cmath>
#include <ctime>

namespace tempyra {

namespace {

constexpr double kMinute = 60, kHour = 3600, kDay = 86400;

// Round steps in minutes below a day, then in days; a step of 7 days or more starts on Monday.
constexpr double kSteps[] = {5 * kMinute, 10 * kMinute, 15 * kMinute, 30 * kMinute,
                             kHour,       2 * kHour,    3 * kHour,    6 * kHour,
                             12 * kHour,  kDay,         2 * kDay,     7 * kDay};

// Days since 1970-01-01 of a civil date (proleptic Gregorian).
long long dayNumber(int year, unsigned month, unsigned day) {
  year -= month <= 2;
  const long long era = (year >= 0 ? year : year - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(year - era * 400);
  const unsigned doy = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<long long>(doe) - 719468;
}

std::string format(const std::tm& tm, const char* pattern) {
  char buffer[64];
  return std::string(buffer, std::strftime(buffer, sizeof buffer, pattern, &tm));
}

// Local midnight of the day `offset` days after the one holding `tm`; nothing when the C
// library cannot say.
bool localMidnight(const std::tm& day, int offset, std::tm& out, std::time_t& at) {
  out = day;
  out.tm_mday += offset;
  out.tm_hour = out.tm_min = out.tm_sec = 0;
  out.tm_isdst = -1;
  at = std::mktime(&out);
  return at != static_cast<std::time_t>(-1);
}

void addTick(std::vector<AxisTick>& ticks, double value, std::string label) {
  // A wall-clock time that a daylight-saving change skips maps onto the next existing one.
  if (!ticks.empty() && ticks.back().value >= value) return;
  ticks.push_back({value, std::move(label)});
}

// `dated`: every mark names its day, for data longer than a day.
std::vector<AxisTick> ticksBetween(double min, double max, double step, bool dated) {
  std::vector<AxisTick> ticks;
  const std::time_t start = static_cast<std::time_t>(std::floor(min));
  std::tm first{};
  if (!localtime_r(&start, &first)) return ticks;
  // Whole local days, so that steps follow the wall clock across daylight-saving changes.
  const long long days = static_cast<long long>((max - min) / kDay) + 2;
  for (long long d = 0; d <= days; ++d) {
    std::tm day{};
    std::time_t midnight = 0;
    if (!localMidnight(first, static_cast<int>(d), day, midnight)) continue;
    if (step >= kDay) {
      const long long n = dayNumber(day.tm_year + 1900, static_cast<unsigned>(day.tm_mon + 1),
                                    static_cast<unsigned>(day.tm_mday));
      const long long every = static_cast<long long>(step / kDay);
      // 1970-01-05 was a Monday.
      const bool on = every % 7 == 0 ? ((n - 4) / 7) % (every / 7) == 0 && (n - 4) % 7 == 0
                                     : n % every == 0;
      if (on && midnight >= min && midnight <= max) {
        addTick(ticks, static_cast<double>(midnight), format(day, "%-d %b"));
      }
      continue;
    }
    const int minutes = static_cast<int>(step / kMinute);
    for (int m = 0; m < 24 * 60; m += minutes) {
      std::tm t = day;
      t.tm_hour = m / 60;
      t.tm_min = m % 60;
      t.tm_isdst = -1;
      const std::time_t at = std::mktime(&t);
      if (at == static_cast<std::time_t>(-1) || at < min) continue;
      if (at > max) return ticks;
      addTick(ticks, static_cast<double>(at),
              format(t, m == 0 ? "%-d %b" : dated ? "%-d %b %H:%M" : "%H:%M"));
    }
  }
  return ticks;
}

}  // namespace

TimeAxis timeAxis(double first, double last, int maxTicks) {
  TimeAxis axis;
  if (!std::isfinite(first) || !std::isfinite(last)) return axis;
  if (last < first) std::swap(first, last);
  // At least ten minutes, so that a lone point or a short stretch still gets two marks.
  if (last - first < 10 * kMinute) {
    const double middle = first / 2 + last / 2;
    first = middle - 5 * kMinute;
    last = middle + 5 * kMinute;
  }
  // A little room so the first and last points do not sit on the frame.
  const double pad = (last - first) * 0.03;
  axis.min = first - pad;
  axis.max = last + pad;
  const double span = axis.max - axis.min;
  axis.step = kSteps[std::size(kSteps) - 1];
  for (double step : kSteps) {
    if (std::floor(span / step) + 1 <= maxTicks) {
      axis.step = step;
      break;
    }
  }
  // Beyond weeks: whole numbers of weeks.
  while (std::floor(span / axis.step) + 1 > maxTicks) axis.step += 7 * kDay;
  axis.ticks = ticksBetween(axis.min, axis.max, axis.step, last - first > kDay);
  return axis;
}

ValueAxis valueAxis(double low, double high, int maxTicks) {
  if (!std::isfinite(low) || !std::isfinite(high)) return {0, 10, 2};
  if (high < low) std::swap(low, high);
  const double room = std::max(0.5, (high - low) * 0.05);
  low -= room;
  high += room;
  const int intervals = std::max(1, maxTicks - 1);
  for (double decade = 1;; decade *= 10) {
    for (double unit : {1.0, 2.0, 5.0}) {
      const double step = unit * decade;
      const double min = std::floor(low / step) * step;
      const double max = std::ceil(high / step) * step;
      if ((max - min) / step <= intervals || !std::isfinite(step * 10)) {
        return {min, max, step};
      }
    }
  }
}

}  // namespace tempyra
