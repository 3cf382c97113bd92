#pragma once
// The spans of history the dashboard can show.

namespace tempyra {

enum class HistoryRange { hour, day, week, month };

// Seconds: an hour, a day, a week, 30 days.
constexpr double rangeSpan(HistoryRange range) {
  switch (range) {
    case HistoryRange::day: return 86400;
    case HistoryRange::week: return 604800;
    case HistoryRange::month: return 2592000;
    case HistoryRange::hour: break;
  }
  return 3600;
}

}  // namespace tempyra
