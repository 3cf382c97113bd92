#include "core/platform_words.h"

#include <iterator>
#include <string>

#include <gtest/gtest.h>

namespace tempyra {
namespace {

using W = PlatformWord;

// The product's own words, as the macOS build shows them.
const std::pair<W, const char*> kProductTexts[] = {
    {W::nominalExplanation, "macOS reports normal thermal pressure."},
    {W::fairExplanation,
     "Thermal pressure is elevated. macOS may adjust performance to manage heat."},
    {W::seriousExplanation, "macOS reports serious thermal pressure and may reduce performance."},
    {W::criticalExplanation,
     "macOS reports critical thermal pressure. Reduce demanding work and let your Mac cool."},
    {W::staleDetail,
     "Monitoring was paused, asleep or delayed. Older readings do not describe your Mac right "
     "now."},
    {W::nominalDetail,
     "Keep using your Mac normally. Thermal pressure is not a temperature reading or proof that "
     "every component is cool."},
    {W::hotDetail,
     "Pause demanding tasks if practical, use a firm ventilated surface and check that vents are "
     "clear. If this persists, consult Apple support. This app cannot diagnose hardware faults."},
    {W::unknownDetail, "The app cannot assess heat while macOS thermal pressure is unavailable."},
    {W::pressureEvidence, "macOS thermal pressure: "},
    {W::alertBodyOpening, "macOS has reported sustained "},
    {W::tagline, "Know your Mac. Keep it cool."},
    {W::overviewSubtitle, "Your Mac’s thermal pressure, explained."},
    {W::overviewStepPressure, "Read macOS thermal pressure and available hardware context."},
    {W::overviewStepPause, "Use Pause Monitoring or the menu-bar icon when needed."},
    {W::sensorsStepReadings, "Check which readings your Mac provides."},
    {W::settingsStepDisplay, "Choose menu-bar display, units and guidance preferences."},
    {W::overviewCaption,
     "Thermal pressure describes macOS heat management. It is not a temperature or a measured "
     "performance-loss percentage."},
    {W::temperatureFansCaption,
     "Controller-reported temperatures use recognised sensor groups. Individual keys and "
     "provenance are available in Sensors. Availability varies by Mac; no readings are guessed."},
    {W::intelligenceTitle, "What macOS is reporting"},
    {W::thisMachine, "This Mac"},
    {W::aboutUnderstand, "Understand your Mac’s thermal pressure."},
    {W::aboutSources,
     "The direct build reports macOS thermal pressure and read-only AppleSMC readings where "
     "accessible. Undocumented hardware mappings vary by model and are not calibrated diagnostic "
     "measurements. Thermal pressure is not a thermometer or proof of throttling."},
    {W::privacyLocal,
     "All monitoring and history stay on this Mac. No automatic outbound connections. Opening "
     "the website is optional; its separate website privacy policy applies."},
    {W::privacyBuiltWith,
     "Built with Apple system frameworks and SQLite (public domain). No third-party analytics. "
     "Hardware sensor protocol references are documented in the source."},
    {W::guideStartDetail,
     "Read the Overview for macOS thermal pressure, CPU load and power context. A second "
     "observation establishes CPU activity. Hardware temperatures depend on your Mac and build; "
     "unavailable values are never guessed."},
    {W::guidePreferencesDetail,
     "Settings controls the menu bar, optional alerts, launch at login and local retention. "
     "Numbered page instructions, this walkthrough and the welcome can be hidden independently. "
     "Nothing requires an account or purchase."},
    {W::loginCaption,
     "macOS may request approval. This setting is managed separately from Reset Preferences."},
    {W::loginNeedsApproval, "Needs approval in System Settings"},
    {W::menuBarTitle, "Menu Bar"},
    {W::menuCaption,
     "CPU temperature displays the controller sensor-group mean. Numerical displays CPU load. "
     "Unavailable temperatures are never replaced with a guessed value."},
    {W::alertsCaption,
     "Alerts use macOS thermal pressure. Custom temperature thresholds are not included; sensor "
     "temperatures vary by model and are shown as supporting context."},
    {W::resetCaption,
     "Resets monitoring options without erasing history or changing the macOS login item."},
    {W::cpuLimitsLabel, "Intel CPU limits"},
};

TEST(PlatformWords, MacosIsTheProductsTextAndLinuxNamesNothingOfIt) {
  ASSERT_EQ(std::size(kProductTexts), static_cast<std::size_t>(kPlatformWordCount));
  for (const auto& [word, text] : kProductTexts) {
    EXPECT_EQ(platformWord(word, TextPlatform::macos), text);
    const std::string onLinux(platformWord(word, TextPlatform::linuxDesktop));
    EXPECT_FALSE(onLinux.empty()) << text;
    // Sentences stay sentences and the openings of longer texts still end in a blank.
    const char end = std::string_view(text).back();
    if (end == '.' || end == ' ') {
      EXPECT_EQ(onLinux.back(), end) << onLinux;
    }
    for (const char* claim : {"Mac", "Apple", "SMC", "System Settings", "menu bar", "menu-bar",
                              "Menu Bar", "Intel"}) {
      EXPECT_EQ(onLinux.find(claim), std::string::npos) << onLinux;
    }
  }
}

TEST(PlatformWords, OnlyTheIntelLimitsKeyIsRelabelled) {
  EXPECT_EQ(capabilityLabel("Intel CPU limits", TextPlatform::linuxDesktop), "CPU speed limits");
  EXPECT_EQ(capabilityLabel("Intel CPU limits", TextPlatform::macos), "Intel CPU limits");
  EXPECT_EQ(capabilityLabel("Fan RPM", TextPlatform::linuxDesktop), "Fan RPM");
}

}  // namespace
}  // namespace tempyra
