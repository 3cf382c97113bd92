#pragma once
// Every fixed text of the windows: the product's own words, one constant property each. Texts
// that name the operating system, the machine or a system service come from the platform's
// words.
#include <QObject>
#include <QString>
#include <QStringList>
#include <QtQml/qqmlregistration.h>

#include "core/platform_words.h"
#include "ui/logic/maker_links.h"
#include "ui/logic/tray_menu.h"

namespace tempyra {

class Texts : public QObject {
  Q_OBJECT
  QML_ELEMENT
  QML_UNCREATABLE("Owned by Ui")

 public:
  using QObject::QObject;
  static QString text(std::string_view t) {
    return QString::fromUtf8(t.data(), static_cast<qsizetype>(t.size()));
  }
  static QString word(PlatformWord w) { return text(platformWord(w)); }

  // Shell and popover.
  Q_PROPERTY(QString product MEMBER product CONSTANT FINAL)
  const QString product = text(kProductName);
  Q_PROPERTY(QString openDetails MEMBER openDetails CONSTANT FINAL)
  const QString openDetails{"Open Details"};
  Q_PROPERTY(QString snoozeAlerts MEMBER snoozeAlerts CONSTANT FINAL)
  const QString snoozeAlerts = text(kSnoozeAlertsLabel);
  Q_PROPERTY(QString quit MEMBER quit CONSTANT FINAL)
  const QString quit = text(kQuitLabel);
  Q_PROPERTY(QString quitHelp MEMBER quitHelp CONSTANT FINAL)
  const QString quitHelp{"Quit Tempyra (Ctrl+Q)"};
  // Closing the dashboard while no tray item shows the application, said once.
  Q_PROPERTY(QString closeNoticeTitle MEMBER closeNoticeTitle CONSTANT FINAL)
  const QString closeNoticeTitle{"Tempyra keeps running"};
  Q_PROPERTY(QString closeNotice MEMBER closeNotice CONSTANT FINAL)
  const QString closeNotice{
      "Monitoring and alerts go on after this window closes. Open Tempyra again to bring the "
      "window back; choose Quit or press Ctrl+Q to stop it."};
  Q_PROPERTY(QString closeWindow MEMBER closeWindow CONSTANT FINAL)
  const QString closeWindow{"Close Window"};

  // Sidebar and window.
  Q_PROPERTY(QString madeBy MEMBER madeBy CONSTANT FINAL)
  const QString madeBy{"software by quorvel."};
  Q_PROPERTY(QString madeByHelp MEMBER madeByHelp CONSTANT FINAL)
  const QString madeByHelp{"Visit the quorvel website"};
  Q_PROPERTY(QString madeByAccessible MEMBER madeByAccessible CONSTANT FINAL)
  const QString madeByAccessible{"software by quorvel. Visit website"};
  Q_PROPERTY(QString headerLink MEMBER headerLink CONSTANT FINAL)
  const QString headerLink = QString::fromStdString(tempyra::headerLink("tempyra"));
  Q_PROPERTY(QString tagline MEMBER tagline CONSTANT FINAL)
  const QString tagline = word(PlatformWord::tagline);
  Q_PROPERTY(QString appearance MEMBER appearance CONSTANT FINAL)
  const QString appearance{"Appearance"};
  Q_PROPERTY(QStringList appearanceOptions MEMBER appearanceOptions CONSTANT FINAL)
  const QStringList appearanceOptions{"Light", "Dark", "System"};
  Q_PROPERTY(QString demoData MEMBER demoData CONSTANT FINAL)
  const QString demoData{"Demo data"};
  Q_PROPERTY(QString noAccount MEMBER noAccount CONSTANT FINAL)
  const QString noAccount{"No account. No subscription."};
  Q_PROPERTY(QString ok MEMBER ok CONSTANT FINAL)
  const QString ok{"OK"};
  Q_PROPERTY(QString clearTitle MEMBER clearTitle CONSTANT FINAL)
  const QString clearTitle{"Clear all thermal history? This cannot be undone."};
  Q_PROPERTY(QString clearButton MEMBER clearButton CONSTANT FINAL)
  const QString clearButton{"Clear History"};
  Q_PROPERTY(QString cancel MEMBER cancel CONSTANT FINAL)
  const QString cancel{"Cancel"};

  // Overview.
  Q_PROPERTY(QString overviewCaption MEMBER overviewCaption CONSTANT FINAL)
  const QString overviewCaption = word(PlatformWord::overviewCaption);
  Q_PROPERTY(QString cpuLoad MEMBER cpuLoad CONSTANT FINAL)
  const QString cpuLoad{"CPU load"};
  Q_PROPERTY(QString cpuCaption MEMBER cpuCaption CONSTANT FINAL)
  const QString cpuCaption{"Interval average across all cores"};
  Q_PROPERTY(QString power MEMBER power CONSTANT FINAL)
  const QString power{"Power"};
  Q_PROPERTY(QString temperatureFans MEMBER temperatureFans CONSTANT FINAL)
  const QString temperatureFans{"Temperature & fans"};
  Q_PROPERTY(QString temperatureFansCaption MEMBER temperatureFansCaption CONSTANT FINAL)
  const QString temperatureFansCaption = word(PlatformWord::temperatureFansCaption);
  Q_PROPERTY(QString recentPressure MEMBER recentPressure CONSTANT FINAL)
  const QString recentPressure{"Recent thermal pressure"};

  // Charts.
  Q_PROPERTY(QString noReadings MEMBER noReadings CONSTANT FINAL)
  const QString noReadings{"No readings yet"};
  Q_PROPERTY(QString noReadingsDetail MEMBER noReadingsDetail CONSTANT FINAL)
  const QString noReadingsDetail{"History appears as monitoring continues."};
  Q_PROPERTY(QString thermalChartDescription MEMBER thermalChartDescription CONSTANT FINAL)
  const QString thermalChartDescription{
      "Thermal pressure over time. Monitoring sessions are separated; nominal is normal and "
      "critical is highest."};
  // Over the empty axes of a history whose readings all have an unknown state.
  Q_PROPERTY(QString noStateObserved MEMBER noStateObserved CONSTANT FINAL)
  const QString noStateObserved{"No thermal state was observed in this range."};
  Q_PROPERTY(QString temperatureChartDescription MEMBER temperatureChartDescription CONSTANT FINAL)
  const QString temperatureChartDescription{
      "CPU and GPU temperature observations. Points do not connect across missing readings."};

  // Thermal Intelligence.
  Q_PROPERTY(QString whatIsReported MEMBER whatIsReported CONSTANT FINAL)
  const QString whatIsReported = word(PlatformWord::intelligenceTitle);
  Q_PROPERTY(QString evidenceTitle MEMBER evidenceTitle CONSTANT FINAL)
  const QString evidenceTitle{"Evidence · rules version 1"};
  Q_PROPERTY(QString evidenceCaption MEMBER evidenceCaption CONSTANT FINAL)
  const QString evidenceCaption{"Deterministic rules. No AI or hardware diagnosis."};
  Q_PROPERTY(QString understandingStates MEMBER understandingStates CONSTANT FINAL)
  const QString understandingStates{"Understanding the states"};

  // History.
  Q_PROPERTY(QString historyRange MEMBER historyRange CONSTANT FINAL)  // the range picker's name
  const QString historyRange{"History range"};
  Q_PROPERTY(QString refresh MEMBER refresh CONSTANT FINAL)
  const QString refresh{"Refresh"};
  Q_PROPERTY(QString exportHistory MEMBER exportHistory CONSTANT FINAL)
  const QString exportHistory{"Export History…"};
  Q_PROPERTY(QString exportTitle MEMBER exportTitle CONSTANT FINAL)
  const QString exportTitle{"Export History"};  // the save dialog's title
  Q_PROPERTY(QString thermalPressure MEMBER thermalPressure CONSTANT FINAL)
  const QString thermalPressure{"Thermal pressure"};
  Q_PROPERTY(QString thermalPressureCaption MEMBER thermalPressureCaption CONSTANT FINAL)
  const QString thermalPressureCaption{
      "Power changes are dashed markers. Data is grouped for display; separate monitoring "
      "sessions are never joined."};
  Q_PROPERTY(QString temperatureHistory MEMBER temperatureHistory CONSTANT FINAL)
  const QString temperatureHistory{"Temperature history"};
  Q_PROPERTY(QString noTemperatures MEMBER noTemperatures CONSTANT FINAL)
  const QString noTemperatures{"No temperature readings in this period."};
  Q_PROPERTY(QString temperatureCaption MEMBER temperatureCaption CONSTANT FINAL)
  const QString temperatureCaption{
      "CPU and GPU sensor-group means. Displayed history is grouped; this is not an absolute "
      "peak between samples."};
  Q_PROPERTY(QString durationTitle MEMBER durationTitle CONSTANT FINAL)
  const QString durationTitle{"Observed duration by state"};
  Q_PROPERTY(QString durationCaption MEMBER durationCaption CONSTANT FINAL)
  const QString durationCaption{
      "Only intervals between consecutive observations within 90 seconds are counted. Sleep, "
      "pauses and missing samples are excluded."};
  Q_PROPERTY(QString eventsTitle MEMBER eventsTitle CONSTANT FINAL)
  const QString eventsTitle{"Recent events · up to 500"};
  Q_PROPERTY(QString noEvents MEMBER noEvents CONSTANT FINAL)
  const QString noEvents{"No events recorded in this period."};
  Q_PROPERTY(QString episodesTitle MEMBER episodesTitle CONSTANT FINAL)
  const QString episodesTitle{"Episodes"};
  Q_PROPERTY(QString noEpisodes MEMBER noEpisodes CONSTANT FINAL)
  const QString noEpisodes{"No episodes in this range."};
  Q_PROPERTY(QString episodesCaption MEMBER episodesCaption CONSTANT FINAL)
  const QString episodesCaption{
      "Stretches at Fair or above. Choose one to mark it on the thermal pressure chart. "
      "Process shares are CPU time over the episode; 100 % is one core."};
  Q_PROPERTY(QString dismiss MEMBER dismiss CONSTANT FINAL)
  const QString dismiss{"Dismiss"};

  // Activity.
  Q_PROPERTY(QString activityTitle MEMBER activityTitle CONSTANT FINAL)
  const QString activityTitle{"Highest observable CPU activity"};
  Q_PROPERTY(QString activityDisabled MEMBER activityDisabled CONSTANT FINAL)
  const QString activityDisabled{"Process activity is disabled in Privacy settings."};
  Q_PROPERTY(QString activityEmpty MEMBER activityEmpty CONSTANT FINAL)
  const QString activityEmpty{
      "No active processes were observable in this interval. Restricted processes are "
      "omitted; the first sample establishes a baseline."};
  Q_PROPERTY(QString activityCaption MEMBER activityCaption CONSTANT FINAL)
  const QString activityCaption{
      "100% represents one fully used CPU core; multi-core processes may exceed 100%. System "
      "CPU load uses a separate all-core scale. Names stay local and are included in exports "
      "when recording is enabled."};

  // Sensors.
  Q_PROPERTY(QString thisMachine MEMBER thisMachine CONSTANT FINAL)
  const QString thisMachine = word(PlatformWord::thisMachine);
  Q_PROPERTY(QString capabilityMatrix MEMBER capabilityMatrix CONSTANT FINAL)
  const QString capabilityMatrix{"Capability matrix"};
  Q_PROPERTY(QString readingsProvenance MEMBER readingsProvenance CONSTANT FINAL)
  const QString readingsProvenance{"Readings & provenance"};

  // About.
  Q_PROPERTY(QString aboutTitle MEMBER aboutTitle CONSTANT FINAL)
  const QString aboutTitle{"Tempyra · 1.0"};
  Q_PROPERTY(QString aboutLine1 MEMBER aboutLine1 CONSTANT FINAL)
  const QString aboutLine1 = word(PlatformWord::aboutUnderstand);
  Q_PROPERTY(QString aboutLine2 MEMBER aboutLine2 CONSTANT FINAL)
  const QString aboutLine2{
      "Free to use. No account, subscription or paywall. Useful thermal monitoring that works "
      "offline. Optional quorvel recommendations appear in the welcome, which you can turn "
      "off."};
  Q_PROPERTY(QString aboutLine3 MEMBER aboutLine3 CONSTANT FINAL)
  const QString aboutLine3 = word(PlatformWord::aboutSources);
  Q_PROPERTY(QString exploreQuorvel MEMBER exploreQuorvel CONSTANT FINAL)
  const QString exploreQuorvel{"Explore quorvel"};
  Q_PROPERTY(QString aboutLink MEMBER aboutLink CONSTANT FINAL)
  const QString aboutLink = QString::fromStdString(tempyra::aboutLink());
  Q_PROPERTY(QString privacySupport MEMBER privacySupport CONSTANT FINAL)
  const QString privacySupport{"Privacy & support"};
  Q_PROPERTY(QString privacyLine1 MEMBER privacyLine1 CONSTANT FINAL)
  const QString privacyLine1 = word(PlatformWord::privacyLocal);
  Q_PROPERTY(QString privacyLine2 MEMBER privacyLine2 CONSTANT FINAL)
  const QString privacyLine2 = QStringLiteral(
      "If readings stop, resume monitoring or reopen the app. If history cannot be opened, the "
      "app preserves it and shows the error. Support: ") +
      QString::fromUtf8(kSupportEmail.data(), static_cast<int>(kSupportEmail.size())) + u'.';
  Q_PROPERTY(QString privacyLine3 MEMBER privacyLine3 CONSTANT FINAL)
  const QString privacyLine3 = word(PlatformWord::privacyBuiltWith);

  // Onboarding.
  Q_PROPERTY(QString welcomeFree MEMBER welcomeFree CONSTANT FINAL)
  const QString welcomeFree{"Free to use. No account required."};
  Q_PROPERTY(QString moreSoftware MEMBER moreSoftware CONSTANT FINAL)
  const QString moreSoftware{"More software by quorvel."};
  Q_PROPERTY(QString showWelcomeAtStartup MEMBER showWelcomeAtStartup CONSTANT FINAL)
  const QString showWelcomeAtStartup{"Show this welcome at startup"};
  Q_PROPERTY(QString continueLabel MEMBER continueLabel CONSTANT FINAL)
  const QString continueLabel{"Continue"};
  Q_PROPERTY(QString welcomeHint MEMBER welcomeHint CONSTANT FINAL)
  const QString welcomeHint{"Click the background or press Escape to continue."};
  Q_PROPERTY(QString showTourAtStartup MEMBER showTourAtStartup CONSTANT FINAL)
  const QString showTourAtStartup{"Show this walkthrough at startup"};
  Q_PROPERTY(QString skipTour MEMBER skipTour CONSTANT FINAL)
  const QString skipTour{"Skip walkthrough"};
  Q_PROPERTY(QString back MEMBER back CONSTANT FINAL)
  const QString back{"Back"};
  Q_PROPERTY(QString appIconLabel MEMBER appIconLabel CONSTANT FINAL)
  const QString appIconLabel{"Tempyra app icon"};

  // Guidance settings.
  Q_PROPERTY(QString guidance MEMBER guidance CONSTANT FINAL)
  const QString guidance{"Guidance"};
  Q_PROPERTY(QString guideSteps MEMBER guideSteps CONSTANT FINAL)
  const QString guideSteps{"Show numbered instructions on each page"};
  Q_PROPERTY(QString guideTour MEMBER guideTour CONSTANT FINAL)
  const QString guideTour{"Show walkthrough at startup"};
  Q_PROPERTY(QString guideWelcome MEMBER guideWelcome CONSTANT FINAL)
  const QString guideWelcome{"Show quorvel welcome at startup"};
  Q_PROPERTY(QString openTour MEMBER openTour CONSTANT FINAL)
  const QString openTour{"Open walkthrough"};
  Q_PROPERTY(QString guideCaption MEMBER guideCaption CONSTANT FINAL)
  const QString guideCaption{
      "You can skip the walkthrough at any time. Appearance starts in System mode and "
      "remembers your choice."};
  Q_PROPERTY(QString support MEMBER support CONSTANT FINAL)
  const QString support{"Support"};
  Q_PROPERTY(QString privacy MEMBER privacy CONSTANT FINAL)
  const QString privacy{"Privacy"};
  Q_PROPERTY(QString terms MEMBER terms CONSTANT FINAL)
  const QString terms{"Terms"};
  Q_PROPERTY(QString supportLink MEMBER supportLink CONSTANT FINAL)
  const QString supportLink = QString::fromStdString(tempyra::supportLink());
  Q_PROPERTY(QString privacyLink MEMBER privacyLink CONSTANT FINAL)
  const QString privacyLink = QString::fromStdString(tempyra::privacyLink());
  Q_PROPERTY(QString termsLink MEMBER termsLink CONSTANT FINAL)
  const QString termsLink = QString::fromStdString(tempyra::termsLink());

  // Settings.
  Q_PROPERTY(QString general MEMBER general CONSTANT FINAL)
  const QString general{"General"};
  Q_PROPERTY(QString launchAtLogin MEMBER launchAtLogin CONSTANT FINAL)
  const QString launchAtLogin{"Launch at login"};
  Q_PROPERTY(QString loginCaption MEMBER loginCaption CONSTANT FINAL)
  const QString loginCaption = word(PlatformWord::loginCaption);
  Q_PROPERTY(QString temperatureUnits MEMBER temperatureUnits CONSTANT FINAL)
  const QString temperatureUnits{"Temperature units"};
  Q_PROPERTY(QString menuBar MEMBER menuBar CONSTANT FINAL)
  const QString menuBar = word(PlatformWord::menuBarTitle);
  Q_PROPERTY(QString display MEMBER display CONSTANT FINAL)
  const QString display{"Display"};
  Q_PROPERTY(QString menuCaption MEMBER menuCaption CONSTANT FINAL)
  const QString menuCaption = word(PlatformWord::menuCaption);
  Q_PROPERTY(QString sensors MEMBER sensors CONSTANT FINAL)
  const QString sensors{"Sensors"};
  Q_PROPERTY(QString advanced MEMBER advanced CONSTANT FINAL)
  const QString advanced{"Show advanced provenance"};
  Q_PROPERTY(QString samplingCaption MEMBER samplingCaption CONSTANT FINAL)
  const QString samplingCaption{
      "Adaptive sampling: 10 seconds during serious/critical pressure, 30 seconds normally, "
      "60 seconds in low-power mode or with details closed. Sensor samples expire after 95 "
      "seconds."};
  Q_PROPERTY(QString alerts MEMBER alerts CONSTANT FINAL)
  const QString alerts{"Alerts"};
  Q_PROPERTY(QString allowNotifications MEMBER allowNotifications CONSTANT FINAL)
  const QString allowNotifications = word(PlatformWord::notificationButton);
  Q_PROPERTY(QString notifySustained MEMBER notifySustained CONSTANT FINAL)
  const QString notifySustained{"Notify about sustained serious or critical pressure"};
  Q_PROPERTY(QString sustainedFor MEMBER sustainedFor CONSTANT FINAL)
  const QString sustainedFor{"Sustained for"};
  Q_PROPERTY(QString cooldown MEMBER cooldown CONSTANT FINAL)
  const QString cooldown{"Cooldown"};
  Q_PROPERTY(QString quietHours MEMBER quietHours CONSTANT FINAL)
  const QString quietHours{"Quiet hours"};
  Q_PROPERTY(QString from MEMBER from CONSTANT FINAL)
  const QString from{"From"};
  Q_PROPERTY(QString until MEMBER until CONSTANT FINAL)
  const QString until{"Until"};
  Q_PROPERTY(QString quietCaption MEMBER quietCaption CONSTANT FINAL)
  const QString quietCaption{
      "Uses your current local time zone. Equal start/end means quiet all day."};
  Q_PROPERTY(QString cancelSnooze MEMBER cancelSnooze CONSTANT FINAL)
  const QString cancelSnooze{"Cancel Snooze"};
  Q_PROPERTY(QString snoozeHour MEMBER snoozeHour CONSTANT FINAL)
  const QString snoozeHour{"Snooze for 1 hour"};
  Q_PROPERTY(QString alertsCaption MEMBER alertsCaption CONSTANT FINAL)
  const QString alertsCaption = word(PlatformWord::alertsCaption);
  Q_PROPERTY(QString history MEMBER history CONSTANT FINAL)
  const QString history{"History"};
  Q_PROPERTY(QString keepReadings MEMBER keepReadings CONSTANT FINAL)
  const QString keepReadings{"Keep readings"};
  Q_PROPERTY(QString historyCaption MEMBER historyCaption CONSTANT FINAL)
  const QString historyCaption{
      "Also bounded to 200,000 samples and 20,000 events. Oldest readings expire "
      "automatically."};
  Q_PROPERTY(QString clearHistory MEMBER clearHistory CONSTANT FINAL)
  const QString clearHistory{"Clear History…"};
  Q_PROPERTY(QString metricsTitle MEMBER metricsTitle CONSTANT FINAL)
  const QString metricsTitle{"Metrics"};
  Q_PROPERTY(QString writeMetrics MEMBER writeMetrics CONSTANT FINAL)
  const QString writeMetrics{"Write metrics for node_exporter"};
  Q_PROPERTY(QString chooseFolder MEMBER chooseFolder CONSTANT FINAL)
  const QString chooseFolder{"Choose Folder…"};
  Q_PROPERTY(QString metricsFolderTitle MEMBER metricsFolderTitle CONSTANT FINAL)
  const QString metricsFolderTitle{"Metrics Folder"};  // the folder dialog's title
  Q_PROPERTY(QString metricsCaption MEMBER metricsCaption CONSTANT FINAL)
  const QString metricsCaption{
      "After every reading, Tempyra replaces tempyra.prom in this folder for the node_exporter "
      "textfile collector. Nothing listens on the network; turning this off removes the file."};
  Q_PROPERTY(QString metricsDemo MEMBER metricsDemo CONSTANT FINAL)
  const QString metricsDemo{
      "Tempyra Demo writes no metrics: its readings are invented and must not reach a "
      "collector."};
  Q_PROPERTY(QString privacyTitle MEMBER privacyTitle CONSTANT FINAL)
  const QString privacyTitle{"Privacy"};
  Q_PROPERTY(QString recordActivity MEMBER recordActivity CONSTANT FINAL)
  const QString recordActivity{"Record observable process activity locally"};
  Q_PROPERTY(QString privacyCaption MEMBER privacyCaption CONSTANT FINAL)
  const QString privacyCaption{
      "No cloud, analytics SDK, account, advertising ID or keystroke collection. History "
      "exports can include process names. Turning activity off stops new process collection; "
      "use Clear History to remove previous records."};
  Q_PROPERTY(QString resetPreferences MEMBER resetPreferences CONSTANT FINAL)
  const QString resetPreferences{"Reset Preferences"};
  Q_PROPERTY(QString resetCaption MEMBER resetCaption CONSTANT FINAL)
  const QString resetCaption = word(PlatformWord::resetCaption);
};

}  // namespace tempyra
