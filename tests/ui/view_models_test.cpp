// The view models over a scripted monitor.
#include <gtest/gtest.h>

#include <cmath>

#include <nlohmann/json.hpp>

#include "core/model_json.h"
#include "tests/ui/fake_monitor.h"
#include "ui/logic/text_format.h"
#include "ui/logic/tray_face.h"
#include "ui/models/dashboard_model.h"
#include "ui/models/popover_model.h"
#include "ui/models/settings_model.h"
#include "ui/models/theme.h"

namespace tempyra {
namespace {

constexpr double kNow = 1'800'000'000;

void show(DashboardModel& d, DashboardPage page) {
  d.setActive(true);
  d.selectPage(page);
}

TEST(PopoverModel, LinesFollowTheReadingAndTheEvents) {
  FakeMonitor m;
  m.live_.reading = testReading(kNow, ThermalState::serious);
  m.history_.events = {{2, 1, EventKind::thermal, "Serious pressure", {}}};
  PopoverModel p(m);
  EXPECT_EQ(p.activityLine(), "Observed activity: compiler · 153.2% of one core");
  EXPECT_EQ(p.lastEvent(), "Last event: Serious pressure");
  m.live_.reading->activity.clear();
  m.history_.events = {{3, 2, EventKind::thermal, "", {}}};  // newest entry without a detail
  m.publish();
  EXPECT_EQ(p.activityLine(), "");
  EXPECT_EQ(p.lastEvent(), "Last event: No events recorded");
}

TEST(PopoverModel, SnoozeIsOneHourFromEachPress) {
  FakeMonitor m;
  PopoverModel p(m);
  p.snooze();
  m.live_.now += 600;
  p.snooze();
  EXPECT_EQ(m.setup_.preferences.alerts.snoozeUntil, m.live_.now + 3600);
  EXPECT_EQ(m.saves, 2);
}

TEST(DashboardModel, BuildsThePageOnlyWhileTheWindowIsOpen) {
  FakeMonitor m;
  m.live_.reading = testReading(kNow, ThermalState::nominal);
  m.setup_.profile.capabilities = {{"Intel CPU limits", "cpufreq"}};
  DashboardModel d(m);
  m.publish();
  EXPECT_EQ(d.overview()->cpu(), "");
  d.setActive(true);
  EXPECT_EQ(d.overview()->cpu(), "12.4 %");
  d.selectPage(DashboardPage::sensors);
  EXPECT_EQ(d.overview()->cpu(), "");  // only the shown page holds anything
  EXPECT_EQ(d.sensors()->metrics().size(), 4);  // the CPU load and every sensor
  // The stored key keeps its name; the page shows the platform's label for it.
  EXPECT_EQ(d.sensors()->capabilities().value(0).name, "CPU speed limits");
  d.setActive(false);
  EXPECT_TRUE(d.sensors()->metrics().isEmpty());
  EXPECT_EQ(d.page(), DashboardModel::Page::Sensors);  // the selection outlives the window
}

TEST(DashboardModel, HistoryItemReloadsEvenWhenSelectedAndTellsTheMonitor) {
  FakeMonitor m;
  DashboardModel d(m);
  show(d, DashboardPage::history);
  d.selectPage(DashboardPage::history);
  EXPECT_TRUE(m.historyPageSelected_);
  d.selectPage(DashboardPage::sensors);
  EXPECT_FALSE(m.historyPageSelected_);
  EXPECT_EQ(m.loads, 2);
  d.setRangeIndex(3);
  d.setRangeIndex(3);
  d.setRangeIndex(9);
  EXPECT_EQ(m.range_, HistoryRange::month);
  EXPECT_EQ(m.loads, 3);
}

TEST(DashboardModel, StatusTextTakesTheFirstRuleThatApplies) {
  FakeMonitor m;
  DashboardModel d(m);
  d.setActive(true);
  EXPECT_EQ(d.statusText(), "Waiting for first sample");
  m.live_.reading = testReading(kNow, ThermalState::nominal);
  m.publish();
  EXPECT_TRUE(d.statusText().startsWith("Local monitoring · "));
  m.live_.asleep = true;
  m.publish();
  EXPECT_EQ(d.statusText(), "Sleeping");
  m.live_.paused = true;
  m.publish();
  EXPECT_EQ(d.statusText(), "Paused · last readings are historical");
}

// The chosen episode is kept by its start: its band follows it across reloads and goes with it.
TEST(DashboardModel, ChosenEpisodeBandFollowsReloads) {
  FakeMonitor m;
  m.history_.episodes.resize(1);
  m.history_.episodes[0].start = kNow - 600;
  DashboardModel d(m);
  show(d, DashboardPage::history);
  HistoryModel& h = *d.history();
  h.select(kNow - 600);
  m.history_.episodes[0].end = kNow - 30;
  m.publish();
  EXPECT_EQ(h.bandEnd(), kNow - 30);
  m.history_.episodes.clear();
  m.publish();
  EXPECT_TRUE(std::isnan(h.bandStart()));
}

// The charts redraw for new history or another unit, not for every other preference.
TEST(DashboardModel, ChartsRedrawForNewHistoryOrAnotherUnit) {
  FakeMonitor m;
  DashboardModel d(m);
  int draws = 0;
  QObject::connect(&d, &DashboardModel::chartsChanged, [&] { ++draws; });
  emit m.historyChanged();
  Preferences p;
  p.advanced = true;
  m.setPreferences(p);
  p.unit = TemperatureUnit::fahrenheit;
  m.setPreferences(p);
  EXPECT_EQ(draws, 2);
  EXPECT_EQ(d.chartUnit(), TemperatureUnit::fahrenheit);
}

// Without a tray icon the pause step leaves the icon out and closing the window says once where
// the application went.
TEST(DashboardModel, WithoutATrayThePauseStepAndTheCloseNoticeChange) {
  FakeMonitor m;
  DashboardModel d(m);
  d.setActive(true);
  EXPECT_EQ(d.steps()[2], "Use Pause Monitoring when needed.");
  EXPECT_TRUE(d.closeNotice());
  d.setTrayShown(true);
  EXPECT_EQ(d.steps()[2], "Use Pause Monitoring or the tray icon when needed.");
  EXPECT_FALSE(d.closeNotice());
  d.setTrayShown(false);
  d.closeNoticeShown();
  EXPECT_FALSE(d.closeNotice());
  EXPECT_EQ(m.defaults_.get<bool>(kShowCloseNoticeKey), false);
}

TEST(SettingsModel, SavesOnceForEachChangeWhileShown) {
  FakeMonitor m;
  SettingsModel s(m);
  s.setSustainedIndex(2);
  EXPECT_EQ(m.setup_.preferences.alerts.sustained, 120);
  EXPECT_EQ(m.saves, 0);  // the page is not on screen

  s.setShown(true);
  s.setCooldownIndex(0);
  s.setCooldownIndex(0);  // no change, no save
  s.setUnitIndex(1);
  s.setUnitIndex(7);  // out of range: nothing happens
  EXPECT_EQ(m.saves, 2);
  EXPECT_EQ(m.setup_.preferences.alerts.cooldown, 300);
  EXPECT_EQ(m.setup_.preferences.unit, TemperatureUnit::fahrenheit);
}

// A stored value outside the options or an unknown stored unit shows no selection and stays
// stored until it is picked; a settings file that cannot be used and the demonstration's missing
// metrics are each one line.
TEST(SettingsModel, StoredValuesOutsideTheOptionsUnsavedSettingsAndTheDemo) {
  FakeMonitor m;
  auto doc = nlohmann::json::parse(*encodeJson(Preferences{}));
  doc["unit"] = "Kelvin";
  m.setup_.preferences = decodePreferences(doc.dump()).value();
  m.setup_.preferences.alerts.sustained = 45;
  m.setup_.demo = true;
  m.defaults_.problem_ = Problem{ProblemKind::settingsNotAFile, "a named pipe", 0, "/h/x.ini"};
  SettingsModel s(m);
  s.setShown(true);
  EXPECT_EQ(s.unitIndex(), -1);
  EXPECT_EQ(s.sustainedIndex(), -1);
  EXPECT_TRUE(s.settingsProblem().startsWith("Settings not saved: /h/x.ini is a named pipe,"));
  EXPECT_FALSE(s.metricsAvailable());
  s.setUnitIndex(0);
  EXPECT_EQ(s.unitIndex(), 0);
  EXPECT_EQ(nlohmann::json::parse(*encodeJson(m.setup_.preferences))["unit"], "Celsius");
  EXPECT_EQ(m.setup_.preferences.alerts.sustained, 45);  // saved along, not replaced
}

TEST(SettingsModel, AlertSwitchNeedsPermission) {
  FakeMonitor m;
  SettingsModel s(m);
  s.setShown(true);
  EXPECT_FALSE(s.alertsOperable());
  EXPECT_EQ(s.permissionLine(), "Notification service: Not checked yet");
  // No permission service on Linux: the button sends a test notification instead.
  s.requestAlerts();
  EXPECT_EQ(m.testNotifications, 1);
  s.setAlertsEnabled(true);
  EXPECT_FALSE(m.setup_.preferences.alerts.enabled);
  m.setup_.permission = AuthorizationStatus::authorized;
  m.publish();
  EXPECT_TRUE(s.alertsOperable());
  s.setAlertsEnabled(true);
  EXPECT_TRUE(m.setup_.preferences.alerts.enabled);
}

TEST(SettingsModel, LoginButtonTogglesFromTheStatus) {
  FakeMonitor m;
  SettingsModel s(m);
  s.setShown(true);
  s.toggleLogin();
  m.setup_.loginStatus = LoginItemStatus::enabled;
  m.publish();
  EXPECT_EQ(s.loginStatus(), "Enabled");
  EXPECT_EQ(s.loginButton(), "Disable");
  s.toggleLogin();
  EXPECT_EQ(m.logins, (std::vector<bool>{true, false}));
}

// Switching metrics on asks for a folder first; off stops at once. The problem shows worded.
TEST(SettingsModel, MetricsSwitchAsksForAFolder) {
  FakeMonitor m;
  SettingsModel s(m);
  s.setShown(true);
  s.setMetricsEnabled(true);
  EXPECT_EQ(m.folderRequests, 1);
  EXPECT_FALSE(s.metricsEnabled());
  m.setup_.metricsFolder = "/srv/metrics";
  m.setup_.metricsProblem = Problem{ProblemKind::metricsFolderMissing, {}, 0, "/srv/metrics"};
  m.publish();
  EXPECT_TRUE(s.metricsEnabled());
  EXPECT_EQ(s.metricsProblem(), "Metrics not written: the folder /srv/metrics does not exist.");
  s.setMetricsEnabled(true);  // already on: no second dialog
  EXPECT_EQ(m.folderRequests, 1);
  s.setMetricsEnabled(false);
  EXPECT_FALSE(s.metricsEnabled());
  EXPECT_EQ(s.metricsProblem(), "");
}

TEST(Theme, FocusRingStandsOutInBothAppearances) {
  FakeMonitor m;
  Theme t(m);
  auto rgb = [](const QColor& c) {
    return Rgb{static_cast<std::uint8_t>(c.red()), static_cast<std::uint8_t>(c.green()),
               static_cast<std::uint8_t>(c.blue())};
  };
  for (const char* appearance : {"Light", "Dark"}) {
    t.setAppearance(appearance);
    for (const QColor& behind : {t.window(), t.panel(), t.button()}) {
      EXPECT_GE(contrastRatio(rgb(t.accent()), rgb(behind)), 3.0) << appearance;
    }
  }
}

}  // namespace
}  // namespace tempyra
