#include "core/platform_words.h"

#include <array>
#include <cstddef>

namespace tempyra {

namespace {

struct Row {
  PlatformWord word;
  std::string_view macos;
  std::string_view linuxDesktop;
};

using W = PlatformWord;

// On Linux the thermal level is read from the kernel's thermal zones and throttling counters,
// temperatures from its hwmon drivers, and launch at login is an autostart entry of the desktop.
constexpr std::array<Row, kPlatformWordCount> kRows = {{
    {W::nominalExplanation, "macOS reports normal thermal pressure.",
     "The kernel\u2019s thermal zones indicate normal thermal pressure."},
    {W::fairExplanation,
     "Thermal pressure is elevated. macOS may adjust performance to manage heat.",
     "Thermal pressure is elevated. The kernel may adjust performance to manage heat."},
    {W::seriousExplanation, "macOS reports serious thermal pressure and may reduce performance.",
     "The kernel\u2019s thermal zones indicate serious thermal pressure; the kernel may reduce "
     "performance."},
    {W::criticalExplanation,
     "macOS reports critical thermal pressure. Reduce demanding work and let your Mac cool.",
     "The kernel\u2019s thermal zones indicate critical thermal pressure. Reduce demanding work "
     "and let your computer cool."},
    {W::staleDetail,
     "Monitoring was paused, asleep or delayed. Older readings do not describe your Mac right "
     "now.",
     "Monitoring was paused, asleep or delayed. Older readings do not describe your computer "
     "right now."},
    {W::nominalDetail,
     "Keep using your Mac normally. Thermal pressure is not a temperature reading or proof that "
     "every component is cool.",
     "Keep using your computer normally. Thermal pressure is not a temperature reading or proof "
     "that every component is cool."},
    {W::hotDetail,
     "Pause demanding tasks if practical, use a firm ventilated surface and check that vents are "
     "clear. If this persists, consult Apple support. This app cannot diagnose hardware faults.",
     "Pause demanding tasks if practical, use a firm ventilated surface and check that vents are "
     "clear. If this persists, consult the manufacturer\u2019s support. This app cannot diagnose "
     "hardware faults."},
    {W::unknownDetail, "The app cannot assess heat while macOS thermal pressure is unavailable.",
     "The app cannot assess heat while kernel thermal pressure is unavailable."},
    {W::pressureEvidence, "macOS thermal pressure: ", "Kernel thermal pressure: "},
    {W::alertBodyOpening, "macOS has reported sustained ",
     "The kernel\u2019s thermal zones have indicated sustained "},
    {W::tagline, "Know your Mac. Keep it cool.", "Know your computer. Keep it cool."},
    {W::overviewSubtitle, "Your Mac\u2019s thermal pressure, explained.",
     "Your computer\u2019s thermal pressure, explained."},
    {W::overviewStepPressure, "Read macOS thermal pressure and available hardware context.",
     "Read kernel thermal pressure and available hardware context."},
    {W::overviewStepPause, "Use Pause Monitoring or the menu-bar icon when needed.",
     "Use Pause Monitoring or the tray icon when needed."},
    {W::overviewStepPauseNoIcon, "Use Pause Monitoring or the menu-bar icon when needed.",
     "Use Pause Monitoring when needed."},
    {W::sensorsStepReadings, "Check which readings your Mac provides.",
     "Check which readings your computer provides."},
    {W::settingsStepDisplay, "Choose menu-bar display, units and guidance preferences.",
     "Choose tray display, units and guidance preferences."},
    {W::overviewCaption,
     "Thermal pressure describes macOS heat management. It is not a temperature or a measured "
     "performance-loss percentage.",
     "Thermal pressure describes the kernel\u2019s heat management. It is not a temperature or a "
     "measured performance-loss percentage."},
    {W::temperatureFansCaption,
     "Controller-reported temperatures use recognised sensor groups. Individual keys and "
     "provenance are available in Sensors. Availability varies by Mac; no readings are guessed.",
     "Kernel-reported temperatures use recognised sensor groups. Individual sensors and "
     "provenance are available in Sensors. Availability varies by computer; no readings are "
     "guessed."},
    {W::intelligenceTitle, "What macOS is reporting", "What the kernel is reporting"},
    {W::thisMachine, "This Mac", "This computer"},
    {W::aboutUnderstand, "Understand your Mac\u2019s thermal pressure.",
     "Understand your computer\u2019s thermal pressure."},
    {W::aboutSources,
     "The direct build reports macOS thermal pressure and read-only AppleSMC readings where "
     "accessible. Undocumented hardware mappings vary by model and are not calibrated diagnostic "
     "measurements. Thermal pressure is not a thermometer or proof of throttling.",
     "This build reads thermal pressure from the kernel\u2019s thermal zones and read-only hwmon "
     "readings from kernel drivers where accessible. Driver sensor mappings vary by model and are "
     "not calibrated diagnostic measurements. Thermal pressure is not a thermometer or proof of "
     "throttling."},
    {W::privacyLocal,
     "All monitoring and history stay on this Mac. No automatic outbound connections. Opening "
     "the website is optional; its separate website privacy policy applies.",
     "All monitoring and history stay on this computer. No automatic outbound connections. "
     "Opening the website is optional; its separate website privacy policy applies."},
    {W::privacyBuiltWith,
     "Built with Apple system frameworks and SQLite (public domain). No third-party analytics. "
     "Hardware sensor protocol references are documented in the source.",
     "Built with Qt (LGPL) and SQLite (public domain). No third-party analytics. Hardware "
     "sensor protocol references are documented in the source."},
    {W::guideStartDetail,
     "Read the Overview for macOS thermal pressure, CPU load and power context. A second "
     "observation establishes CPU activity. Hardware temperatures depend on your Mac and build; "
     "unavailable values are never guessed.",
     "Read the Overview for kernel thermal pressure, CPU load and power context. A second "
     "observation establishes CPU activity. Hardware temperatures depend on your computer and "
     "its drivers; unavailable values are never guessed."},
    {W::guidePreferencesDetail,
     "Settings controls the menu bar, optional alerts, launch at login and local retention. "
     "Numbered page instructions, this walkthrough and the welcome can be hidden independently. "
     "Nothing requires an account or purchase.",
     "Settings controls the tray icon, optional alerts, launch at login and local retention. "
     "Numbered page instructions, this walkthrough and the welcome can be hidden independently. "
     "Nothing requires an account or purchase."},
    {W::loginCaption,
     "macOS may request approval. This setting is managed separately from Reset Preferences.",
     "Uses your desktop\u2019s autostart. This setting is managed separately from Reset "
     "Preferences."},
    {W::loginNeedsApproval, "Needs approval in System Settings",
     "Needs approval in desktop settings"},
    {W::menuBarTitle, "Menu Bar", "System Tray"},
    {W::menuCaption,
     "CPU temperature displays the controller sensor-group mean. Numerical displays CPU load. "
     "Unavailable temperatures are never replaced with a guessed value.",
     "CPU temperature displays the kernel drivers\u2019 CPU sensor-group mean. Numerical "
     "displays CPU load. Unavailable temperatures are never replaced with a guessed value."},
    {W::alertsCaption,
     "Alerts use macOS thermal pressure. Custom temperature thresholds are not included; sensor "
     "temperatures vary by model and are shown as supporting context.",
     "Alerts use kernel thermal pressure. Custom temperature thresholds are not included; "
     "sensor temperatures vary by model and are shown as supporting context."},
    {W::resetCaption,
     "Resets monitoring options without erasing history or changing the macOS login item.",
     "Resets monitoring options without erasing history or changing the autostart entry."},
    // Linux has no permission service: the row says whether a notification server answered, and
    // its button sends a test notification, which also asks the server.
    {W::notificationRow, "Notification permission: ", "Notification service: "},
    {W::notificationAllowed, "Allowed", "Available"},
    {W::notificationDenied, "Denied", "Not found"},
    {W::notificationUnknown, "Not requested", "Not checked yet"},
    {W::notificationButton, "Allow Notifications\u2026", "Send Test Notification"},
    {W::littleToShow,
     "This Mac reports no thermal pressure and no temperature sensor, so most values here stay "
     "empty. Sensors shows what it can read.",
     "This computer\u2019s kernel exposes no readable thermal zone or temperature sensor, so most "
     "values here stay empty. Sensors shows what it can read."},
    {W::demoModel, "Demo Mac", "Demo computer"},
    {W::demoArchitecture, "Apple Silicon", "Example processor"},
    {W::demoOs, "macOS 14 or later", "Example Linux system"},
    {W::demoPowerEvent, "Example Mac connected to AC power",
     "Example computer connected to AC power"},
    {W::cpuLimitsLabel, "Intel CPU limits", "CPU speed limits"},
}};

constexpr bool rowsInEnumOrder() {
  for (std::size_t i = 0; i < kRows.size(); ++i) {
    if (static_cast<std::size_t>(kRows[i].word) != i) return false;
  }
  return true;
}
static_assert(rowsInEnumOrder(), "one row per word, in the enum's order");

}  // namespace

std::string_view platformWord(PlatformWord word, TextPlatform platform) {
  const Row& row = kRows.at(static_cast<std::size_t>(word));
  return platform == TextPlatform::macos ? row.macos : row.linuxDesktop;
}

std::string_view capabilityLabel(std::string_view key, TextPlatform platform) {
  if (key == platformWord(PlatformWord::cpuLimitsLabel, TextPlatform::macos)) {
    return platformWord(PlatformWord::cpuLimitsLabel, platform);
  }
  return key;
}

}  // namespace tempyra
