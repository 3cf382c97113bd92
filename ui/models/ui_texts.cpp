// The fixed texts of the popover, the dashboard pages, the onboarding sheets and the settings
// page, by the key the windows use.
#include "ui/logic/maker_links.h"
#include "ui/models/ui_context.h"

namespace tempyra {

QVariantMap UiContext::texts() const {
  static const QVariantMap kTexts = {
      // Shell and popover.
      {"product", "Tempyra"},
      {"openDetails", "Open Details"},
      {"snoozeAlerts", "Snooze Alerts · 1 hour"},
      {"quit", "Quit"},
      // Sidebar and window.
      {"madeBy", "software by quorvel."},
      {"madeByHelp", "Visit the quorvel website"},
      {"madeByAccessible", "software by quorvel. Visit website"},
      {"headerLink", QString::fromStdString(headerLink("tempyra"))},
      {"tagline", "Know your Mac. Keep it cool."},
      {"appearance", "Appearance"},
      {"appearanceOptions", QStringList{"Light", "Dark", "System"}},
      {"demoData", "Demo data"},
      {"noAccount", "No account. No subscription."},
      {"ok", "OK"},
      {"clearTitle", "Clear all thermal history? This cannot be undone."},
      {"clearButton", "Clear History"},
      {"cancel", "Cancel"},
      // Overview.
      {"overviewCaption",
       "Thermal pressure describes macOS heat management. It is not a temperature or a "
       "measured performance-loss percentage."},
      {"cpuLoad", "CPU load"},
      {"cpuCaption", "Interval average across all cores"},
      {"power", "Power"},
      {"temperatureFans", "Temperature & fans"},
      {"temperatureFansCaption",
       "Controller-reported temperatures use recognised sensor groups. Individual keys and "
       "provenance are available in Sensors. Availability varies by Mac; no readings are "
       "guessed."},
      {"recentPressure", "Recent thermal pressure"},
      // Charts.
      {"noReadings", "No readings yet"},
      {"noReadingsDetail", "History appears as monitoring continues."},
      {"thermalChartDescription",
       "Thermal pressure over time. Monitoring sessions are separated; nominal is normal and "
       "critical is highest."},
      {"temperatureChartDescription",
       "CPU and GPU temperature observations. Points do not connect across missing readings."},
      // Thermal Intelligence.
      {"whatMacosReports", "What macOS is reporting"},
      {"evidenceTitle", "Evidence · rules version 1"},
      {"evidenceCaption", "Deterministic rules. No AI or hardware diagnosis."},
      {"understandingStates", "Understanding the states"},
      // History.
      {"refresh", "Refresh"},
      {"exportHistory", "Export History…"},
      {"thermalPressure", "Thermal pressure"},
      {"thermalPressureCaption",
       "Power changes are dashed markers. Data is grouped for display; separate monitoring "
       "sessions are never joined."},
      {"temperatureHistory", "Temperature history"},
      {"noTemperatures", "No temperature readings in this period."},
      {"temperatureCaption",
       "CPU and GPU sensor-group means. Displayed history is grouped; this is not an absolute "
       "peak between samples."},
      {"durationTitle", "Observed duration by state"},
      {"durationCaption",
       "Only intervals between consecutive observations within 90 seconds are counted. Sleep, "
       "pauses and missing samples are excluded."},
      {"eventsTitle", "Recent events · up to 500"},
      {"noEvents", "No events recorded in this period."},
      // Activity.
      {"activityTitle", "Highest observable CPU activity"},
      {"activityDisabled", "Process activity is disabled in Privacy settings."},
      {"activityEmpty",
       "No active processes were observable in this interval. Restricted processes are "
       "omitted; the first sample establishes a baseline."},
      {"activityCaption",
       "100% represents one fully used CPU core; multi-core processes may exceed 100%. System "
       "CPU load uses a separate all-core scale. Names stay local and are included in exports "
       "when recording is enabled."},
      // Sensors.
      {"thisMac", "This Mac"},
      {"capabilityMatrix", "Capability matrix"},
      {"readingsProvenance", "Readings & provenance"},
      // About.
      {"aboutTitle", "Tempyra · 1.0"},
      {"aboutLine1", "Understand your Mac’s thermal pressure."},
      {"aboutLine2",
       "Free to use. No account, subscription or paywall. Useful thermal monitoring that works "
       "offline. Optional quorvel recommendations appear in the welcome, which you can turn "
       "off."},
      {"aboutLine3",
       "The direct build reports macOS thermal pressure and read-only AppleSMC readings where "
       "accessible. Undocumented hardware mappings vary by model and are not calibrated "
       "diagnostic measurements. Thermal pressure is not a thermometer or proof of throttling."},
      {"exploreQuorvel", "Explore quorvel"},
      {"aboutLink", QString::fromStdString(aboutLink())},
      {"privacySupport", "Privacy & support"},
      {"privacyLine1",
       "All monitoring and history stay on this Mac. No automatic outbound connections. "
       "Opening the website is optional; its separate website privacy policy applies."},
      {"privacyLine2",
       QString("If readings stop, resume monitoring or reopen the app. If history cannot be "
               "opened, the app preserves it and shows the error. Support: ") +
           QString::fromUtf8(kSupportEmail.data(), static_cast<int>(kSupportEmail.size())) +
           "."},
      {"privacyLine3",
       "Built with Apple system frameworks and SQLite (public domain). No third-party "
       "analytics. Hardware sensor protocol references are documented in the source."},
      // Onboarding.
      {"welcomeFree", "Free to use. No account required."},
      {"moreSoftware", "More software by quorvel."},
      {"showWelcomeAtStartup", "Show this welcome at startup"},
      {"continue", "Continue"},
      {"welcomeHint", "Click the background or press Escape to continue."},
      {"showTourAtStartup", "Show this walkthrough at startup"},
      {"skipTour", "Skip walkthrough"},
      {"back", "Back"},
      {"appIconLabel", "Tempyra app icon"},
      // Guidance settings.
      {"guidance", "Guidance"},
      {"guideSteps", "Show numbered instructions on each page"},
      {"guideTour", "Show walkthrough at startup"},
      {"guideWelcome", "Show quorvel welcome at startup"},
      {"openTour", "Open walkthrough"},
      {"guideCaption",
       "You can skip the walkthrough at any time. Appearance starts in System mode and "
       "remembers your choice."},
      {"support", "Support"},
      {"privacy", "Privacy"},
      {"terms", "Terms"},
      {"supportLink", QString::fromStdString(supportLink())},
      {"privacyLink", QString::fromStdString(privacyLink())},
      {"termsLink", QString::fromStdString(termsLink())},
      // Settings.
      {"general", "General"},
      {"launchAtLogin", "Launch at login"},
      {"loginCaption",
       "macOS may request approval. This setting is managed separately from Reset "
       "Preferences."},
      {"temperatureUnits", "Temperature units"},
      {"menuBar", "Menu Bar"},
      {"display", "Display"},
      {"menuCaption",
       "CPU temperature displays the controller sensor-group mean. Numerical displays CPU load. "
       "Unavailable temperatures are never replaced with a guessed value."},
      {"sensors", "Sensors"},
      {"advanced", "Show advanced provenance"},
      {"samplingCaption",
       "Adaptive sampling: 10 seconds during serious/critical pressure, 30 seconds normally, 60 "
       "seconds in low-power mode or with details closed. Sensor samples expire after 95 "
       "seconds."},
      {"alerts", "Alerts"},
      {"allowNotifications", "Allow Notifications…"},
      {"notifySustained", "Notify about sustained serious or critical pressure"},
      {"sustainedFor", "Sustained for"},
      {"cooldown", "Cooldown"},
      {"quietHours", "Quiet hours"},
      {"from", "From"},
      {"until", "Until"},
      {"quietCaption", "Uses your current local time zone. Equal start/end means quiet all day."},
      {"cancelSnooze", "Cancel Snooze"},
      {"snoozeHour", "Snooze for 1 hour"},
      {"alertsCaption",
       "Alerts use macOS thermal pressure. Custom temperature thresholds are not included; "
       "sensor temperatures vary by model and are shown as supporting context."},
      {"history", "History"},
      {"keepReadings", "Keep readings"},
      {"historyCaption",
       "Also bounded to 200,000 samples and 20,000 events. Oldest readings expire "
       "automatically."},
      {"clearHistory", "Clear History…"},
      {"privacyTitle", "Privacy"},
      {"recordActivity", "Record observable process activity locally"},
      {"privacyCaption",
       "No cloud, analytics SDK, account, advertising ID or keystroke collection. History "
       "exports can include process names. Turning activity off stops new process collection; "
       "use Clear History to remove previous records."},
      {"resetPreferences", "Reset Preferences"},
      {"resetCaption",
       "Resets monitoring options without erasing history or changing the macOS login item."},
  };
  return kTexts;
}

}  // namespace tempyra
