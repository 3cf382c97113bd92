#pragma once
// Number, value, time and colour rules shared by the tray, the popover, the dashboard and the
// charts. Time points are seconds since 1970 UTC; times of day are local time in the user's
// locale (LC_TIME). Numbers always use a decimal point, whatever the locale.
#include <optional>
#include <string>

#include "app/login_item.h"
#include "app/notification_center.h"
#include "app/preferences.h"
#include "app/problem.h"
#include "core/platform_words.h"
#include "core/event.h"
#include "core/reading.h"
#include "core/thermal_state.h"

namespace tempyra {

// `value` with `decimals` digits after the point, like printf's "%.Nf" in the C locale.
std::string fixed(double value, int decimals);
// Rounded to a whole number; -0.4 gives "0", not "-0".
std::string whole(double value);

// How metric values are shown at one moment.
struct ValueDisplay {
  TemperatureUnit unit = TemperatureUnit::celsius;
  bool stale = true;  // the monitor's: paused, asleep, no reading or an old one
  double now = 0;

  // "Not available" when the metric has no finite value, lies in the future, is older than
  // 95 s, or while stale. A temperature in "°C" shows in °F when asked ("109.8 °F"); any other
  // value shows with one decimal and its own unit ("1200.0 RPM").
  std::string operator()(const Metric& metric) const;
  // The number that text shows (in °F when converted); nothing where it says "Not available".
  std::optional<double> shownValue(const Metric& metric) const;
};

// Whether the popover and the Overview list a sensor metric: group means, fans and other derived
// values are listed; individual sensors and thermal zones are left to the Sensors page.
bool listedInSummary(const Metric& metric);

// The power source and the event kind as the screen shows them: the words they are stored with.
std::string powerSourceText(const PowerContext& power);
std::string eventKindText(const Event& event);

// The text beside the tray icon: empty for icon only; "Paused" without a current reading;
// otherwise the state title, "CPU " and the CPU temperature (or "CPU —"), the CPU load
// ("CPU 37%"), or both ("Nominal · 12% CPU").
std::string menuTitle(const std::optional<Reading>& reading, MenuMode mode,
                      const ValueDisplay& display);

// "Allowed", "Denied", or "Not requested" (not determined, provisional); on Linux whether a
// notification server answered: "Available", "Not found", "Not checked yet".
std::string permissionText(AuthorizationStatus status,
                           TextPlatform platform = kBuildTextPlatform);

// True while the CPU load waits for its second sample: the first one only sets the baseline.
bool cpuBaselinePending(const Metric& cpu);
// The CPU load as the Overview, the Sensors page and the popover show it: "Establishing
// baseline" before the first reading and until the second sample, otherwise display(cpu).
std::string cpuLoadText(const std::optional<Reading>& reading, const ValueDisplay& display);

// One line for a machine that shows little: the reading has no thermal level, no thermal zone
// and no temperature with a value. Empty otherwise.
std::string littleToShowNotice(const std::optional<Reading>& reading,
                               TextPlatform platform = kBuildTextPlatform);
// "Enabled", the platform's "needs approval" words, "Off" or "Unavailable".
std::string loginStatusText(LoginItemStatus status);
// The sentence the user reads for a problem; a store's or service's own text is quoted as it
// came, made a sentence where the wording goes on after it.
std::string problemText(const Problem& problem);
std::optional<std::string> problemText(const std::optional<Problem>& problem);

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

// The colours that the popover, the dashboard and the charts share.
enum class Tint { green, yellow, orange, red, secondary, grey };

// The state colour: nominal green, fair yellow, serious orange, critical red, unknown the
// secondary colour.
Tint stateTint(ThermalState state);
// The status dot: grey while stale, the secondary colour without a reading, else the state's.
Tint statusTint(bool stale, const std::optional<ThermalState>& state);

}  // namespace tempyra
