#include "ui/logic/text_format.h"

#include <charconv>
#include <cmath>
#include <ctime>
#include <string_view>

#include "app/freshness.h"
#include "core/model_json.h"
#include "core/platform_words.h"

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

bool convertsToFahrenheit(const Metric& metric, TemperatureUnit unit) {
  return metric.unit == "\u00B0C" && unit == TemperatureUnit::fahrenheit;
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

std::string fixed(double value, int decimals) {
  char buffer[400];  // the longest double in fixed notation has 309 digits before the point
  const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value,
                                       std::chars_format::fixed, decimals);
  if (ec != std::errc()) return {};
  return std::string(buffer, end);
}

std::string whole(double value) {
  const double rounded = std::round(value);
  return fixed(rounded == 0 ? 0.0 : rounded, 0);
}

std::optional<double> ValueDisplay::shownValue(const Metric& metric) const {
  if (!metric.value || !std::isfinite(*metric.value)) return std::nullopt;
  if (metric.timestamp > now || now - metric.timestamp > kFreshness || stale) {
    return std::nullopt;
  }
  return convertsToFahrenheit(metric, unit) ? *metric.value * 9 / 5 + 32 : *metric.value;
}

std::string ValueDisplay::operator()(const Metric& metric) const {
  const std::optional<double> value = shownValue(metric);
  if (!value) return kNotAvailable;
  return fixed(*value, 1) + " " + (convertsToFahrenheit(metric, unit) ? "\u00B0F" : metric.unit);
}

bool listedInSummary(const Metric& metric) {
  return metric.kind != MetricKind::sensor && metric.kind != MetricKind::zone;
}

std::string powerSourceText(const PowerContext& power) { return sourceWords(power); }
std::string eventKindText(const Event& event) { return kindWords(event); }

std::string menuTitle(const std::optional<Reading>& reading, MenuMode mode,
                      const ValueDisplay& display) {
  if (mode == MenuMode::iconOnly) return "";
  if (!reading || display.stale) return "Paused";
  const std::string none = "CPU \u2014";
  // A load that is not a number has no figure, as on the icon.
  std::optional<double> cpu = reading->cpu.value;
  if (cpu && !std::isfinite(*cpu)) cpu.reset();
  switch (mode) {
    case MenuMode::thermalState: return title(reading->state);
    case MenuMode::cpuTemperature:
      for (const Metric& m : reading->sensors) {
        if (m.kind == MetricKind::cpuTemperature) return "CPU " + display(m);
      }
      return none;
    case MenuMode::numerical: return cpu ? "CPU " + whole(*cpu) + "%" : none;
    case MenuMode::iconOnly:
    case MenuMode::mixed: break;
  }
  return title(reading->state) + " \u00B7 " + (cpu ? whole(*cpu) + "% CPU" : none);
}

std::string permissionText(AuthorizationStatus status, TextPlatform platform) {
  switch (status) {
    case AuthorizationStatus::authorized:
      return std::string(platformWord(PlatformWord::notificationAllowed, platform));
    case AuthorizationStatus::denied:
      return std::string(platformWord(PlatformWord::notificationDenied, platform));
    case AuthorizationStatus::notDetermined:
    case AuthorizationStatus::provisional: break;
  }
  return std::string(platformWord(PlatformWord::notificationUnknown, platform));
}

bool cpuBaselinePending(const Metric& cpu) {
  constexpr std::string_view kMark = " · establishing baseline";
  return !cpu.value && cpu.source.size() >= kMark.size() &&
         cpu.source.compare(cpu.source.size() - kMark.size(), kMark.size(), kMark) == 0;
}

std::string cpuLoadText(const std::optional<Reading>& reading, const ValueDisplay& display) {
  if (!reading || (!display.stale && cpuBaselinePending(reading->cpu))) {
    return "Establishing baseline";
  }
  return display(reading->cpu);
}

std::string littleToShowNotice(const std::optional<Reading>& reading, TextPlatform platform) {
  if (!reading || reading->state != ThermalState::unknown) return "";
  for (const Metric& m : reading->sensors) {
    if (m.kind == MetricKind::zone) return "";
    if (m.unit == "°C" && m.value) return "";
  }
  return std::string(platformWord(PlatformWord::littleToShow, platform));
}

std::string loginStatusText(LoginItemStatus status) {
  switch (status) {
    case LoginItemStatus::enabled: return "Enabled";
    case LoginItemStatus::requiresApproval:
      return std::string(platformWord(PlatformWord::loginNeedsApproval));
    case LoginItemStatus::notRegistered: return "Off";
    case LoginItemStatus::notFound: break;
  }
  return "Unavailable";
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

namespace {
// The text as a sentence of its own: a full stop is added unless it already ends one (the
// store's own messages do, SQLite's do not).
std::string sentence(std::string text) {
  const std::string_view view = text;
  if (!view.ends_with('.') && !view.ends_with('!') && !view.ends_with('?') &&
      !view.ends_with("…")) {
    text += '.';
  }
  return text;
}
}  // namespace

std::string problemText(const Problem& p) {
  switch (p.kind) {
    case ProblemKind::historyUnavailable:
      return "History is unavailable: " + sentence(p.detail) +
             " Live monitoring continues; existing history is preserved.";
    case ProblemKind::historyMissing:
      return "History is unavailable.";
    case ProblemKind::demoSeedFailed:
      return "Demo history: " + p.detail;
    case ProblemKind::saveFailed:
      return "Could not save history: " + sentence(p.detail) + " Live monitoring continues.";
    case ProblemKind::exportSkipped:
      return "The export left out " + std::to_string(p.count) +
             (p.count == 1 ? " unreadable record." : " unreadable records.");
    case ProblemKind::noNotificationServer:
      return "No notification server answered.";
    case ProblemKind::deliveryFailed:
      return "Notification could not be delivered: " + p.detail;
    case ProblemKind::loginItemFailed:
      return "Login item: " + p.detail;
    case ProblemKind::metricsFolderMissing:
      return "Metrics not written: the folder " + p.file.string() + " does not exist.";
    case ProblemKind::metricsNotPermitted:
      return "Metrics not written: no permission to write in " + p.file.string() + ".";
    case ProblemKind::metricsDiskFull:
      return "Metrics not written: the disk that holds " + p.file.string() + " is full.";
    case ProblemKind::metricsWriteFailed:
      return "Metrics not written to " + p.file.string() + ": " + p.detail + ".";
    case ProblemKind::metricsRemoveFailed:
      return "Could not remove " + p.file.string() + ": " + p.detail + ".";
    case ProblemKind::settingsNotAFile:
      return "Settings not saved: " + p.file.string() + " is " + p.detail +
             ", not a regular file; Tempyra uses its defaults and changes last until it quits.";
    case ProblemKind::settingsUnchecked:
      return "Settings not saved: " + p.file.string() + " cannot be checked (" + p.detail +
             "); Tempyra uses its defaults and changes last until it quits.";
    case ProblemKind::reported:
      break;
  }
  return p.detail;
}

std::optional<std::string> problemText(const std::optional<Problem>& problem) {
  if (!problem) return std::nullopt;
  return problemText(*problem);
}

}  // namespace tempyra
