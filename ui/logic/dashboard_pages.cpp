#include "ui/logic/dashboard_pages.h"

namespace tempyra {

const std::vector<DashboardPage>& dashboardPages() {
  static const std::vector<DashboardPage> kPages = {
      {"Overview", "square.grid.2x2", "Your Mac’s thermal pressure, explained.",
       {"Monitoring starts automatically; allow a moment for the CPU baseline.",
        "Read macOS thermal pressure and available hardware context.",
        "Use Pause Monitoring or the menu-bar icon when needed."}},
      {"Thermal Intelligence", "sparkle.magnifyingglass",
       "Clear advice based on observations, without guesswork.",
       {"Let the monitor collect a fresh reading.",
        "Read the explanation and supporting observations.",
        "Follow the suggested actions only when relevant to your work."}},
      {"History", "clock.arrow.circlepath",
       "Local readings and events. Gaps are periods without observations.",
       {"Choose an hour, day, week or month.",
        "Review observed thermal states and sampling gaps.",
        "Export a local history file if you need a record."}},
      {"Activity", "waveform.path",
       "Observed CPU activity provides context, not proof of a heat source.",
       {"Enable local process activity in Settings if desired.",
        "Allow two observations to establish interval CPU use.",
        "Review activity as context; it does not prove what caused heat."}},
      {"Sensors", "thermometer.medium", "Available readings, sources and hardware capabilities.",
       {"Check which readings your Mac provides.",
        "Read units, source and freshness before comparing values.",
        "Unsupported readings remain unavailable; no measurements are invented."}},
      {"Settings", "gearshape", "Make monitoring work for you.",
       {"Choose menu-bar display, units and guidance preferences.",
        "Enable notifications or login launch only if you want them.",
        "Choose local history retention and process privacy options."}},
      {"About", "info.circle", "Free software by quorvel.",
       {"Read the supported monitoring features.",
        "Review local privacy and support information.",
        "Explore other quorvel apps only if you wish."}},
  };
  return kPages;
}

PageSelection selectPage(const std::string& name) {
  for (const DashboardPage& p : dashboardPages()) {
    if (p.name == name) return {p, true};
  }
  PageSelection fallback{dashboardPages().back(), false};
  fallback.page.subtitle = "Make monitoring work for you.";
  return fallback;
}

}  // namespace tempyra
