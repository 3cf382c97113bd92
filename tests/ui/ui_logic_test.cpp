#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <limits>

#include "core/model_json.h"
#include "ui/logic/chart_data.h"
#include "ui/logic/chart_ticks.h"
#include "ui/logic/episode_text.h"
#include "ui/logic/maker_links.h"
#include "ui/logic/onboarding_flow.h"
#include "ui/logic/text_format.h"

namespace tempyra {
namespace {

TEST(DurationText, TruncatesAndNeverFoldsHours) {
  const std::pair<double, const char*> cases[] = {
      {3725, "1h 2m 5s"}, {0, "0h 0m 0s"},     {59.9, "0h 0m 59s"},
      {86400, "24h 0m 0s"}, {-5, "0h 0m 0s"}, {std::numeric_limits<double>::infinity(), "—"},
      {std::nan(""), "—"},
  };
  for (const auto& [seconds, text] : cases) EXPECT_EQ(durationText(seconds), text) << seconds;
}

constexpr double kNow = 1'800'000'000;

Metric metricAged(std::optional<double> value, const char* unit, double age,
                  const char* name = "x") {
  return Metric(metricKindFromStored(name, unit), name, value, unit, "s", kNow - age, "Measured");
}

TEST(ValueDisplay, ConvertsOrHides) {
  const ValueDisplay fahrenheit{TemperatureUnit::fahrenheit, false, kNow};
  const std::pair<Metric, const char*> cases[] = {
      {metricAged(43.2, "°C", 0), "109.8 °F"},
      {metricAged(1200, "RPM", 0), "1200.0 RPM"},  // other units are never converted
      {metricAged(12.44, "%", 95), "12.4 %"},
      {metricAged(std::nullopt, "RPM", 0), "Not available"},
      {metricAged(std::nan(""), "RPM", 0), "Not available"},
      {metricAged(1, "RPM", -3), "Not available"},  // in the future
      {metricAged(1, "RPM", 95.5), "Not available"},
  };
  for (const auto& [metric, shown] : cases) EXPECT_EQ(fahrenheit(metric), shown);
  EXPECT_EQ((ValueDisplay{TemperatureUnit::celsius, false, kNow})(cases[0].first), "43.2 °C");
  EXPECT_EQ((ValueDisplay{TemperatureUnit::celsius, true, kNow})(cases[0].first), "Not available");
}

TEST(ValueDisplay, WritesADecimalPointWhateverTheLocale) {
  // The application runs in the user's locale, where printf would write "43,3".
  if (!std::setlocale(LC_NUMERIC, "de_DE.UTF-8")) GTEST_SKIP() << "no German locale installed";
  const std::string shown = (ValueDisplay{TemperatureUnit::celsius, false, kNow})(
      metricAged(43.26, "°C", 0));
  std::setlocale(LC_NUMERIC, "C");
  EXPECT_EQ(shown, "43.3 °C");
}

TEST(ValueDisplay, CpuLoadWaitsForItsBaselineAndBareMachinesSaySoOnce) {
  const ValueDisplay fresh{TemperatureUnit::celsius, false, kNow};
  Reading r;
  r.timestamp = kNow;
  r.cpu = Metric(MetricKind::cpuLoad, "CPU load", std::nullopt, "%",
                 "/proc/stat · establishing baseline", kNow, "");
  EXPECT_EQ(cpuLoadText(std::nullopt, fresh), "Establishing baseline");
  EXPECT_EQ(cpuLoadText(r, fresh), "Establishing baseline");
  EXPECT_EQ(cpuLoadText(r, {TemperatureUnit::celsius, true, kNow}), "Not available");
  r.cpu = Metric(MetricKind::cpuLoad, "CPU load", std::nullopt, "%", "/proc/stat", kNow, "");  // unreadable
  EXPECT_EQ(cpuLoadText(r, fresh), "Not available");

  // No level, no zone, no temperature with a value: one line. Any of them: none.
  r.sensors = {metricAged(std::nullopt, "°C", 0), metricAged(1200, "RPM", 0)};
  EXPECT_NE(littleToShowNotice(r).find("Sensors"), std::string::npos);
  EXPECT_EQ(littleToShowNotice(std::nullopt), "");
  Reading zone = r, hot = r, level = r;
  zone.sensors.push_back(Metric(MetricKind::zone, "Zone acpitz", std::nullopt, "°C", "", kNow, ""));
  hot.sensors.push_back(metricAged(50, "°C", 0));
  level.state = ThermalState::nominal;
  for (const Reading& more : {zone, hot, level}) EXPECT_EQ(littleToShowNotice(more), "");
}

// Linux has no permission service: whether a notification server answered.
TEST(StatusTexts, LinuxWordsForPermissionAndLoginItem) {
  EXPECT_EQ(permissionText(AuthorizationStatus::authorized, TextPlatform::linuxDesktop), "Available");
  EXPECT_EQ(loginStatusText(LoginItemStatus::requiresApproval),
            "Needs approval in desktop settings");
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
  std::vector<Event> events;
  for (int i = 0; i < 50; ++i) {
    events.push_back({2 * i, 1000.0 - i, EventKind::power, "x", {}});
    events.push_back({2 * i + 1, 5, i == 0 ? EventKind::other : EventKind::thermal, "y", {}});
  }
  const ThermalChartData d = thermalChartData({reading(1, ThermalState::nominal, "A")}, events);
  ASSERT_EQ(d.powerMarkers.size(), 40u);
  EXPECT_EQ(d.powerMarkers.front(), 1000);
  EXPECT_EQ(d.powerMarkers.back(), 961);
}

// Sets the time zone and the time-text locale for one test.
class LocalTime {
 public:
  explicit LocalTime(const char* zone) : old_(std::getenv("TZ") ? std::getenv("TZ") : "") {
    setenv("TZ", zone, 1);
    tzset();
    std::setlocale(LC_TIME, "C");
  }
  ~LocalTime() {
    old_.empty() ? unsetenv("TZ") : setenv("TZ", old_.c_str(), 1);
    tzset();
  }

 private:
  std::string old_;
};

std::vector<std::string> labels(const TimeAxis& axis) {
  std::vector<std::string> out;
  for (const AxisTick& t : axis.ticks) out.push_back(t.label);
  return out;
}

TEST(EpisodeText, RowsReadInTheChosenUnitWithDatesWhereNeeded) {
  LocalTime utc("UTC");
  const double day = 1'800'000'000 - 1'800'000'000 % 86400;  // 2027-01-15 00:00 UTC
  Episode e;
  e.start = day + 14 * 3600 + 5 * 60;
  e.end = e.start + 18 * 60;
  e.highest = ThermalState::serious;
  e.cpuTemperature = Episode::Peak{96.4, e.start};
  e.processes = {{"ffmpeg", 0, 71.2}, {"chrome", 0, 12}, {"idle", 0, 0.4}};
  const double now = day + 20 * 3600;
  EXPECT_EQ(episodeText(e, TemperatureUnit::celsius, now),
            "Serious · 14:05–14:23 · 18 min · CPU 96 °C · ffmpeg 71 %, chrome 12 %");
  e.brief = true;
  e.processes = {{"a-very-long-process-name-from-a-build", 0, 50}};
  e.gpuTemperature = Episode::Peak{50, e.start};
  EXPECT_EQ(episodeText(e, TemperatureUnit::fahrenheit, now),
            "Serious (brief) · 14:05–14:23 · 18 min · CPU 206 °F · GPU 122 °F · "
            "a-very-long-process-nam… 50 %");
  const struct {
    double start, end;
    std::string span;
  } spans[] = {
      {day + 60, day + 120, "00:01–00:02"},
      {day - 600, day + 600, "14 Jan 23:50–15 Jan 00:10"},  // over midnight
      {day - 7200, day - 3600, "14 Jan 22:00–23:00"},       // another day
  };
  for (const auto& c : spans) EXPECT_EQ(episodeSpan(c.start, c.end, now), c.span);
  const std::pair<double, std::string> lengths[] = {
      {0, "0 s"},  {59.9, "59 s"},      {60, "1 min"},
      {89, "1 min"}, {3599, "1 h 0 min"}, {3900, "1 h 5 min"}};
  for (const auto& [seconds, text] : lengths) EXPECT_EQ(episodeLength(seconds), text);
  EXPECT_EQ(elided("näme", 3), "nä…");
  EXPECT_EQ(elided("näm", 3), "näm");
  // The plural line with its busiest process is pinned on the dashboard itself.
  EXPECT_EQ(awayText({1, 40, ThermalState::fair, ""}),
            "While you were away: 1 episode, 40 s in total, highest Fair");
}

TEST(TimeAxis, RoundStepsForEachRange) {
  LocalTime utc("UTC");
  const double t0 = 1'800'000'180;  // 2027-01-15 08:03 UTC
  struct Case {
    double span;
    double step;
    std::vector<std::string> labels;
  };
  const Case cases[] = {
      {3600, 600, {"08:10", "08:20", "08:30", "08:40", "08:50", "09:00"}},
      {3 * 3600, 1800, {"08:00", "08:30", "09:00", "09:30", "10:00", "10:30", "11:00"}},
      {86400, 6 * 3600, {"12:00", "18:00", "16 Jan", "06:00"}},
      {7 * 86400, 86400, {"16 Jan", "17 Jan", "18 Jan", "19 Jan", "20 Jan", "21 Jan", "22 Jan"}},
      // Weeks start on Monday.
      {30 * 86400, 7 * 86400, {"18 Jan", "25 Jan", "1 Feb", "8 Feb", "15 Feb"}},
  };
  for (const Case& c : cases) {
    const TimeAxis axis = timeAxis(t0, t0 + c.span);
    EXPECT_EQ(axis.step, c.step) << c.span;
    EXPECT_EQ(labels(axis), c.labels) << c.span;
    EXPECT_LT(axis.min, t0);
    EXPECT_GT(axis.max, t0 + c.span);
  }
  const TimeAxis instant = timeAxis(t0, t0);
  EXPECT_EQ(instant.step, 300);
  EXPECT_EQ(labels(instant), (std::vector<std::string>{"08:00", "08:05"}));
  EXPECT_TRUE(timeAxis(std::nan(""), t0).ticks.empty());
}

TEST(TimeAxis, FollowsTheWallClockAcrossDaylightSaving) {
  if (!std::filesystem::exists("/usr/share/zoneinfo/Europe/Berlin")) {
    GTEST_SKIP() << "no time zone data";
  }
  LocalTime berlin("Europe/Berlin");
  // 2027-03-27 12:00 to 03-28 20:00 local; clocks go from 02:00 to 03:00 on the 28th. More
  // than a day: every mark names its day.
  const TimeAxis axis = timeAxis(1806145200, 1806256800);
  EXPECT_EQ(axis.step, 6 * 3600);
  EXPECT_EQ(labels(axis), (std::vector<std::string>{"27 Mar 12:00", "27 Mar 18:00", "28 Mar",
                                                    "28 Mar 06:00", "28 Mar 12:00",
                                                    "28 Mar 18:00"}));
}

TEST(ValueAxis, RoundDegreeSteps) {
  struct Case {
    double low, high;
    ValueAxis axis;
  };
  const Case cases[] = {
      {45, 45, {44, 46, 1}},     {40, 45, {38, 46, 2}},  {41, 52, {40, 55, 5}},
      {122, 150, {120, 160, 10}}, {30, 95, {20, 100, 20}}, {std::nan(""), 3, {0, 10, 2}},
  };
  for (const Case& c : cases) EXPECT_EQ(valueAxis(c.low, c.high), c.axis) << c.low << "–" << c.high;
}

Metric temp(const std::string& name, std::optional<double> v, const std::string& unit = "°C") {
  Metric m;
  m.kind = metricKindFromStored(name, unit);
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
  const TemperatureChartData f = temperatureChartData(readings, TemperatureUnit::fahrenheit);
  EXPECT_EQ(f.cpu, (std::vector<TemperaturePoint>{{1, 122}}));
  EXPECT_EQ(f.gpu, (std::vector<TemperaturePoint>{{1, 104}}));
  EXPECT_EQ(f.summary, "Highest displayed CPU/GPU sample: 122.0 °F");

  const TemperatureChartData none = temperatureChartData({readings[2]}, TemperatureUnit::celsius);
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

// The buttons and counter of each step are walked through in the onboarding QML test.
TEST(TourPosition, BackFromBeyondTheLastStepAndStepTitles) {
  TourPosition tour(3);
  tour.advance();
  tour.advance();
  EXPECT_TRUE(tour.advance());  // past the last step
  tour.back();
  EXPECT_EQ(tour.counterText(), "Step 2 of 3");
  EXPECT_EQ(tourTitle("Step 1: begin"), "Getting started");
  EXPECT_EQ(tourTitle("Choose your preferences"), "Choose your preferences");
}

TEST(MakerLinks, AddressesAndAppList) {
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
