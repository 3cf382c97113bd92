#include "ui/logic/dashboard_pages.h"

#include "core/platform_words.h"

namespace tempyra {

const std::vector<PageInfo>& dashboardPages() {
  static const std::vector<PageInfo> kPages = {
      {DashboardPage::overview, "Overview", "square.grid.2x2",
       std::string(platformWord(PlatformWord::overviewSubtitle)),
       {"Monitoring starts automatically; allow a moment for the CPU baseline.",
        std::string(platformWord(PlatformWord::overviewStepPressure)),
        std::string(platformWord(PlatformWord::overviewStepPause))}},
      {DashboardPage::thermalIntelligence, "Thermal Intelligence", "sparkle.magnifyingglass",
       "Clear advice based on observations, without guesswork.",
       {"Let the monitor collect a fresh reading.",
        "Read the explanation and supporting observations.",
        "Follow the suggested actions only when relevant to your work."}},
      {DashboardPage::history, "History", "clock.arrow.circlepath",
       "Local readings and events. Gaps are periods without observations.",
       {"Choose an hour, day, week or month.",
        "Review observed thermal states and sampling gaps.",
        "Export a local history file if you need a record."}},
      {DashboardPage::activity, "Activity", "waveform.path",
       "Observed CPU activity provides context, not proof of a heat source.",
       {"Enable local process activity in Settings if desired.",
        "Allow two observations to establish interval CPU use.",
        "Review activity as context; it does not prove what caused heat."}},
      {DashboardPage::sensors, "Sensors", "thermometer.medium",
       "Available readings, sources and hardware capabilities.",
       {std::string(platformWord(PlatformWord::sensorsStepReadings)),
        "Read units, source and freshness before comparing values.",
        "Unsupported readings remain unavailable; no measurements are invented."}},
      {DashboardPage::settings, "Settings", "gearshape", "Make monitoring work for you.",
       {std::string(platformWord(PlatformWord::settingsStepDisplay)),
        "Enable notifications or login launch only if you want them.",
        "Choose local history retention and process privacy options."}},
      {DashboardPage::about, "About", "info.circle", "Free software by quorvel.",
       {"Read the supported monitoring features.",
        "Review local privacy and support information.",
        "Explore other quorvel apps only if you wish."}},
  };
  return kPages;
}

const PageInfo& pageInfo(DashboardPage page) {
  return dashboardPages()[static_cast<std::size_t>(page)];
}

}  // namespace tempyra
