#pragma once
// The tray's fixed words and its one timed command, plain so that the tray has them without the
// windows' text table; the popover shows the same product name, snooze and quit labels and
// snoozes the same way.
#include <string_view>

namespace tempyra {

inline constexpr std::string_view kProductName = "Tempyra";
inline constexpr std::string_view kOpenDashboardLabel = "Open Dashboard";
inline constexpr std::string_view kPauseMonitoringLabel = "Pause Monitoring";
inline constexpr std::string_view kResumeMonitoringLabel = "Resume Monitoring";
inline constexpr std::string_view kSnoozeAlertsLabel = "Snooze Alerts · 1 hour";
inline constexpr std::string_view kQuitLabel = "Quit";

// When a snooze pressed at `now` ends: one hour later. A second press moves the end from its own
// moment, never adds an hour to the first.
constexpr double snoozeEnd(double now) { return now + 3600; }

}  // namespace tempyra
