#pragma once
// The texts that name the operating system, the machine or one of the system's services. Each
// has the product's macOS wording and a Linux wording that says what is true there (the level
// comes from the kernel's thermal zones, the machine is "this computer", login is the desktop's
// autostart). The build picks the column where it picks the backend (TEMPYRA_PLATFORM in the top
// CMakeLists.txt, handed on as TEMPYRA_MACOS_WORDS); everything else asks for words by name.
#include <string_view>

#ifndef TEMPYRA_MACOS_WORDS
#error "TEMPYRA_MACOS_WORDS comes with tempyra_core: link it to use the platform words"
#endif

namespace tempyra {

enum class TextPlatform { macos, linuxDesktop };

inline constexpr TextPlatform kBuildTextPlatform =
    TEMPYRA_MACOS_WORDS ? TextPlatform::macos : TextPlatform::linuxDesktop;

enum class PlatformWord {
  // The thermal states' explanations, which are also the advice headlines.
  nominalExplanation,
  fairExplanation,
  seriousExplanation,
  criticalExplanation,
  // Advice.
  staleDetail,
  nominalDetail,
  hotDetail,
  unknownDetail,
  pressureEvidence,  // opens the first evidence line, before the state's title
  // The sustained-pressure notification's body, before the state in lower case.
  alertBodyOpening,
  // Sidebar and page texts.
  tagline,
  overviewSubtitle,
  overviewStepPressure,
  overviewStepPause,
  overviewStepPauseNoIcon,  // while no tray icon shows the application
  sensorsStepReadings,
  settingsStepDisplay,
  overviewCaption,
  temperatureFansCaption,
  intelligenceTitle,
  thisMachine,
  aboutUnderstand,
  aboutSources,
  privacyLocal,
  privacyBuiltWith,
  // Walkthrough details.
  guideStartDetail,
  guidePreferencesDetail,
  // Settings.
  loginCaption,
  loginNeedsApproval,
  menuBarTitle,
  menuCaption,
  alertsCaption,
  resetCaption,
  // Notifications: what the Settings row names, its states and its button.
  notificationRow,
  notificationAllowed,
  notificationDenied,
  notificationUnknown,
  notificationButton,
  // A machine without thermal level or temperature sensors, said once on the Overview.
  littleToShow,
  // The demonstration's example machine and its seeded power event.
  demoModel,
  demoArchitecture,
  demoOs,
  demoPowerEvent,
  // Display label of the stored capability key "Intel CPU limits".
  cpuLimitsLabel,
};

inline constexpr int kPlatformWordCount = static_cast<int>(PlatformWord::cpuLimitsLabel) + 1;

// The word in the build's platform, or in the one asked for.
std::string_view platformWord(PlatformWord word, TextPlatform platform = kBuildTextPlatform);

// How the Sensors page labels a capability of the device profile. The keys are stored in the
// profile and never change; only the label follows the platform.
std::string_view capabilityLabel(std::string_view key, TextPlatform platform = kBuildTextPlatform);

}  // namespace tempyra
