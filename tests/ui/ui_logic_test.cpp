#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "ui/chart_data.h"
#include "ui/dashboard_pages.h"
#include "ui/maker_links.h"
#include "ui/onboarding_flow.h"
#include "ui/popover_placement.h"
#include "ui/settings_options.h"
#include "ui/text_format.h"

namespace tempyra {
namespace {

TEST(PopoverPlacement, FollowsTheIconAndStaysOnScreen) {
  const PlacementRect screen{0, 0, 1920, 1080};
  const int w = 360, h = 500, m = kPopoverMargin;
  struct Case {
    const char* what;
    std::optional<PlacementRect> icon;
    PlacementPoint expected;
  };
  const Case cases[] = {
      {"no geometry: top-right corner", std::nullopt, {1920 - w - m, m}},
      {"empty geometry counts as none", PlacementRect{0, 0, 0, 0}, {1920 - w - m, m}},
      {"top panel: centred below the icon", PlacementRect{900, 0, 24, 24},
       {912 - w / 2, 24 + m}},
      {"top panel at the right edge: pulled back on screen", PlacementRect{1890, 0, 24, 24},
       {1920 - w - m, 24 + m}},
      {"bottom panel: above the icon", PlacementRect{100, 1056, 24, 24},
       {m, 1056 - h - m}},
      {"left panel: right of the icon", PlacementRect{0, 500, 24, 24}, {24 + m, 512 - h / 2}},
      {"right panel near the bottom: left of the icon, clamped",
       PlacementRect{1896, 1000, 24, 24}, {1896 - w - m, 1080 - h - m}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(placePopover(c.icon, screen, w, h), c.expected) << c.what;
  }
}

TEST(PopoverPlacement, OffsetScreenAndOversizedPopover) {
  const PlacementRect second{1920, 30, 1280, 700};
  EXPECT_EQ(placePopover(std::nullopt, second, 360, 400),
            (PlacementPoint{1920 + 1280 - 360 - kPopoverMargin, 30 + kPopoverMargin}));
  // Taller than the area: the top stays visible.
  EXPECT_EQ(placePopover(PlacementRect{2500, 705, 24, 24}, second, 360, 900).y,
            30 + kPopoverMargin);
}

TEST(DurationText, TruncatesAndNeverFoldsHours) {
  const std::pair<double, const char*> cases[] = {
      {3725, "1h 2m 5s"}, {0, "0h 0m 0s"},     {59.9, "0h 0m 59s"},
      {86400, "24h 0m 0s"}, {-5, "0h 0m 0s"}, {std::numeric_limits<double>::infinity(), "—"},
      {std::nan(""), "—"},
  };
  for (const auto& [seconds, text] : cases) EXPECT_EQ(durationText(seconds), text) << seconds;
}

TEST(Tints, StateAndStatusColours) {
  EXPECT_EQ(stateTint(ThermalState::nominal), Tint::green);
  EXPECT_EQ(stateTint(ThermalState::fair), Tint::yellow);
  EXPECT_EQ(stateTint(ThermalState::serious), Tint::orange);
  EXPECT_EQ(stateTint(ThermalState::critical), Tint::red);
  EXPECT_EQ(stateTint(ThermalState::unknown), Tint::secondary);
  EXPECT_EQ(statusTint(true, ThermalState::critical), Tint::grey);
  EXPECT_EQ(statusTint(false, std::nullopt), Tint::secondary);
  EXPECT_EQ(statusTint(false, ThermalState::serious), Tint::orange);
}

TEST(DashboardPages, UnknownNameShowsAboutWithSettingsSubtitle) {
  ASSERT_EQ(dashboardPages().size(), 7u);
  const PageSelection history = selectPage("History");
  EXPECT_TRUE(history.known);
  EXPECT_EQ(history.page.steps[0], "Choose an hour, day, week or month.");
  const PageSelection other = selectPage("Nowhere");
  EXPECT_FALSE(other.known);
  EXPECT_EQ(other.page.name, "About");
  EXPECT_EQ(other.page.subtitle, "Make monitoring work for you.");
  EXPECT_EQ(other.page.steps[2], "Explore other quorvel apps only if you wish.");
  EXPECT_EQ(selectPage("About").page.subtitle, "Free software by quorvel.");
}

Reading reading(double t, ThermalState s, const std::string& segment,
                std::vector<Metric> sensors = {}) {
  Reading r;
  r.timestamp = t;
  r.state = s;
  r.segment = segment;
  r.sensors = std::move(sensors);
  return r;
}

TEST(ThermalChartData, SplitsSegmentsAndSkipsUnknown) {
  const std::vector<Reading> readings = {
      reading(10, ThermalState::nominal, "A"), reading(20, ThermalState::unknown, "A"),
      reading(30, ThermalState::serious, "A"), reading(200, ThermalState::fair, "B"),
      reading(230, ThermalState::critical, "B")};
  const ThermalChartData d = thermalChartData(readings, {});
  EXPECT_FALSE(d.placeholder);
  ASSERT_EQ(d.lines.size(), 2u);
  ASSERT_EQ(d.lines[0].size(), 2u);
  EXPECT_EQ(d.lines[0][1].level, 2);
  EXPECT_EQ(d.lines[1][1].level, 3);
  EXPECT_EQ(d.lines[1][0].time, 200);

  EXPECT_TRUE(thermalChartData({}, {}).placeholder);
  const ThermalChartData onlyUnknown =
      thermalChartData({reading(1, ThermalState::unknown, "A")}, {});
  EXPECT_FALSE(onlyUnknown.placeholder);
  EXPECT_TRUE(onlyUnknown.lines.empty());
}

TEST(ThermalChartData, KeepsTheFortyNewestPowerEvents) {
  std::vector<EventRow> events;
  for (int i = 0; i < 50; ++i) {
    events.push_back({{"kind", "Power"}, {"time", std::to_string(1000 - i)}, {"detail", "x"}});
    events.push_back({{"kind", "Thermal"}, {"time", "5"}, {"detail", "y"}});
  }
  const ThermalChartData d = thermalChartData({reading(1, ThermalState::nominal, "A")}, events);
  ASSERT_EQ(d.powerMarkers.size(), 40u);
  EXPECT_EQ(d.powerMarkers.front(), 1000);
  EXPECT_EQ(d.powerMarkers.back(), 961);

  // Unreadable times are not drawn but still count among the newest forty.
  const std::vector<EventRow> odd = {{{"kind", "Power"}, {"time", "soon"}},
                                     {{"kind", "Power"}},
                                     {{"kind", "Power"}, {"time", "12.5x"}},
                                     {{"kind", "power"}, {"time", "3"}},
                                     {{"kind", "Power"}, {"time", "1.7e9"}}};
  EXPECT_EQ(thermalChartData({reading(1, ThermalState::nominal, "A")}, odd).powerMarkers,
            std::vector<double>{1.7e9});
}

Metric temp(const std::string& name, std::optional<double> v, const std::string& unit = "°C") {
  Metric m;
  m.name = name;
  m.value = v;
  m.unit = unit;
  return m;
}

TEST(TemperatureChartData, PlotsGroupMeansInTheChosenUnit) {
  const std::vector<Reading> readings = {
      reading(1, ThermalState::nominal, "A",
              {temp("CPU temperature", 50), temp("Sensor TC0P", 90), temp("GPU temperature", 40)}),
      reading(2, ThermalState::nominal, "A",
              {temp("CPU temperature", std::nullopt), temp("GPU temperature", std::nan(""))}),
      reading(3, ThermalState::nominal, "A", {temp("Sensor TG0P", 99)})};
  const TemperatureChartData f = temperatureChartData(readings, true);
  EXPECT_EQ(f.cpu, (std::vector<TemperaturePoint>{{1, 122}}));
  EXPECT_EQ(f.gpu, (std::vector<TemperaturePoint>{{1, 104}}));
  EXPECT_EQ(f.summary, "Highest displayed CPU/GPU sample: 122.0 °F");
  const TemperatureChartData c = temperatureChartData(readings, false);
  EXPECT_EQ(c.summary, "Highest displayed CPU/GPU sample: 50.0 °C");

  const TemperatureChartData none = temperatureChartData({readings[2]}, false);
  EXPECT_FALSE(none.highest);
  EXPECT_TRUE(none.summary.empty());
}

TEST(ExperienceFlow, StartupSheetsFollowTheSwitchesOncePerRun) {
  struct Case {
    const char* what;
    bool tour, welcome;
    bool expectWelcome, expectTourAfterWelcome, expectTourAtOnce;
  };
  const Case cases[] = {
      {"defaults: welcome, then walkthrough", true, true, true, true, false},
      {"welcome only", false, true, true, false, false},
      {"walkthrough only", true, false, false, false, true},
      {"neither", false, false, false, false, false},
  };
  for (const Case& c : cases) {
    LaunchSession session;
    ExperienceFlow flow;
    flow.appear("Tempyra", true, true, c.tour, c.welcome, session);
    EXPECT_EQ(flow.showWelcome(), c.expectWelcome) << c.what;
    EXPECT_EQ(flow.showTour(), c.expectTourAtOnce) << c.what;
    flow.finishWelcome();
    flow.welcomeDismissed();
    EXPECT_FALSE(flow.showWelcome()) << c.what;
    EXPECT_EQ(flow.showTour(), c.expectTourAfterWelcome || c.expectTourAtOnce) << c.what;

    // The window is reopened in the same run: a fresh flow offers nothing.
    ExperienceFlow again;
    again.appear("Tempyra", true, true, c.tour, c.welcome, session);
    EXPECT_FALSE(again.showWelcome() || again.showTour()) << c.what;
    again.openTour();
    EXPECT_TRUE(again.showTour()) << c.what;
  }
}

TEST(ExperienceFlow, NoStepsOrNotFreeChangesTheOffer) {
  LaunchSession session;
  ExperienceFlow noSteps;
  noSteps.appear("A", true, false, true, true, session);
  EXPECT_FALSE(noSteps.showWelcome() || noSteps.showTour());
  ExperienceFlow paid;  // "A" was not consumed by the empty flow
  paid.appear("A", false, true, true, true, session);
  EXPECT_FALSE(paid.showWelcome());
  EXPECT_TRUE(paid.showTour());
}

TEST(TourPosition, BackOnlyAfterFirstAndGetStartedOnLast) {
  TourPosition tour(3);
  EXPECT_FALSE(tour.hasBack());
  EXPECT_EQ(tour.mainButton(), "Next");
  EXPECT_EQ(tour.counterText(), "Step 1 of 3");
  EXPECT_FALSE(tour.advance());
  EXPECT_TRUE(tour.hasBack());
  EXPECT_FALSE(tour.advance());
  EXPECT_EQ(tour.mainButton(), "Get started");
  EXPECT_EQ(tour.counterText(), "Step 3 of 3");
  EXPECT_TRUE(tour.advance());
  EXPECT_EQ(tour.index(), 2);
  tour.back();
  EXPECT_EQ(tour.index(), 1);
  EXPECT_EQ(tourTitle("Step 1: begin"), "Getting started");
  EXPECT_EQ(tourTitle("Choose your preferences"), "Choose your preferences");
}

TEST(SettingsOptions, StoredValuesOutsideTheListSelectNothing) {
  EXPECT_EQ(optionIndex(sustainedOptions(), 120), 2);
  EXPECT_EQ(optionIndex(sustainedOptions(), 45), -1);
  EXPECT_EQ(optionIndex(menuOptions(), "Mixed"), 4);
  EXPECT_EQ(optionIndex(unitOptions(), "Kelvin"), -1);
  ASSERT_EQ(quietHourOptions().size(), 24u);
  EXPECT_EQ(quietHourOptions()[7].label, "07:00");
  EXPECT_EQ(quietHourOptions()[22].value, 22);
}

TEST(MakerLinks, AddressesAndAppList) {
  EXPECT_EQ(headerLink("tempyra"),
            "https://quorvel.example?utm_source=tempyra&utm_medium=app&utm_campaign=quorvel_"
            "branding&utm_content=sidebar");
  EXPECT_EQ(makerAppLink({"X", "x.png", "apps/x"}),
            "https://quorvel.example/apps/x.html?utm_source=tempyra&utm_medium=app&utm_"
            "campaign=quorvel_welcome");
  EXPECT_TRUE(parseMakerApps("[]").empty());
  EXPECT_TRUE(parseMakerApps("{not json").empty());
  const auto apps = parseMakerApps(
      R"([{"name":"A","icon":"a.png","path":"a"},{"name":"B"},3,{"name":"C","icon":1,"path":"c"}])");
  ASSERT_EQ(apps.size(), 1u);
  EXPECT_EQ(apps[0].name, "A");
}

}  // namespace
}  // namespace tempyra
