#include <gtest/gtest.h>

#include <QStringList>
#include <QVariantList>

#include "tests/ui/fake_monitor.h"
#include "ui/models/dashboard_model.h"
#include "ui/models/onboarding_model.h"
#include "ui/models/popover_model.h"
#include "ui/models/settings_model.h"
#include "ui/logic/text_format.h"

namespace tempyra {
namespace {

Metric metric(const std::string& name, std::optional<double> value, const std::string& unit) {
  Metric m;
  m.name = name;
  m.value = value;
  m.unit = unit;
  m.source = "test source";
  m.timestamp = 1'800'000'000 - 5;
  m.quality = value ? "Measured" : "Not available";
  return m;
}

Reading sampleReading(ThermalState state) {
  Reading r;
  r.timestamp = 1'800'000'000 - 5;
  r.state = state;
  r.cpu = metric("CPU load", 12.4, "%");
  r.sensors = {metric("CPU temperature", 43.2, "°C"), metric("Sensor TC0P", 44, "°C"),
               metric("GPU temperature", 40, "°C")};
  r.power.source = "AC power";
  r.activity = {{42, "compiler", 153.25}};
  r.segment = "S1";
  return r;
}

QString str(const QVariantMap& v, const char* key) { return v.value(key).toString(); }

TEST(PopoverModel, BeforeTheFirstReading) {
  FakeMonitor m;
  m.stale_ = false;  // the state line's own rule for "no reading" is under test
  PopoverModel p(m);
  const QVariantMap& v = p.view();
  EXPECT_EQ(str(v, "stateTitle"), "Waiting");
  EXPECT_EQ(v.value("tint").toInt(), static_cast<int>(Tint::secondary));
  EXPECT_EQ(str(v, "explanation"), "Collecting the first reading.");
  EXPECT_EQ(str(v, "lastEvent"), "Last event: No events recorded");
  EXPECT_FALSE(v.value("hasReading").toBool());
  EXPECT_EQ(str(v, "pauseLabel"), "Pause");
}

TEST(PopoverModel, LinesFollowTheReading) {
  FakeMonitor m;
  m.reading_ = sampleReading(ThermalState::serious);
  m.events_ = {{{"kind", "Thermal"}, {"time", "1"}, {"detail", "Serious pressure"}},
               {{"kind", "Power"}, {"time", "0"}, {"detail", "older"}}};
  PopoverModel p(m);
  const QVariantMap& v = p.view();
  EXPECT_EQ(str(v, "stateTitle"), "Serious");
  EXPECT_EQ(v.value("tint").toInt(), static_cast<int>(Tint::orange));
  EXPECT_EQ(str(v, "cpuLine"), "CPU load: 12.4 %");
  EXPECT_EQ(v.value("sensorLines").toStringList(),
            (QStringList{"CPU temperature: 43.2 °C", "GPU temperature: 40.0 °C"}));
  EXPECT_TRUE(str(v, "powerLine").startsWith("AC power · "));
  EXPECT_EQ(str(v, "activityLine"), "Observed activity: compiler · 153.2% of one core");
  EXPECT_EQ(str(v, "lastEvent"), "Last event: Serious pressure");
  EXPECT_EQ(str(v, "tooltip"), "Serious · 12% CPU");

  m.reading_->activity.clear();
  m.events_ = {{{"kind", "Thermal"}}};  // newest entry without a detail
  m.publish();
  EXPECT_EQ(str(p.view(), "activityLine"), "");
  EXPECT_EQ(str(p.view(), "lastEvent"), "Last event: No events recorded");
}

TEST(PopoverModel, PausedIsStaleButKeepsTheExplanation) {
  FakeMonitor m;
  m.reading_ = sampleReading(ThermalState::fair);
  PopoverModel p(m);
  p.togglePause();
  const QVariantMap& v = p.view();
  EXPECT_EQ(m.toggles, 1);
  EXPECT_EQ(str(v, "stateTitle"), "Monitoring paused or waiting");
  EXPECT_EQ(v.value("tint").toInt(), static_cast<int>(Tint::grey));
  EXPECT_EQ(str(v, "trayIcon"), "thermometer.slash");
  EXPECT_EQ(str(v, "explanation"), QString::fromStdString(explanation(ThermalState::fair)));
  EXPECT_EQ(str(v, "pauseLabel"), "Resume");
}

TEST(PopoverModel, SnoozeIsOneHourFromEachPress) {
  FakeMonitor m;
  m.preferences_.alerts.enabled = false;
  PopoverModel p(m);
  p.snooze();
  m.now_ += 600;
  p.snooze();
  EXPECT_EQ(m.preferences_.alerts.snoozeUntil, m.now_ + 3600);
  EXPECT_FALSE(m.preferences_.alerts.enabled);
  EXPECT_EQ(m.saves, 2);
}

TEST(DashboardModel, BuildsNothingWhileTheWindowIsClosed) {
  FakeMonitor m;
  DashboardModel d(m);
  m.publish();
  EXPECT_TRUE(d.view().isEmpty());
  d.setActive(true);
  EXPECT_FALSE(d.view().isEmpty());
  d.setActive(false);
  EXPECT_TRUE(d.view().isEmpty());
}

TEST(DashboardModel, HistoryItemReloadsEvenWhenSelected) {
  FakeMonitor m;
  DashboardModel d(m);
  d.setActive(true);
  d.selectPage(static_cast<int>(DashboardPage::history));
  d.selectPage(static_cast<int>(DashboardPage::history));
  EXPECT_TRUE(m.historyPageSelected_);
  d.selectPage(static_cast<int>(DashboardPage::sensors));
  EXPECT_EQ(m.loads, 2);
  EXPECT_FALSE(m.historyPageSelected_);
  d.setRangeIndex(3);
  d.setRangeIndex(3);
  EXPECT_EQ(m.range_, HistoryRange::month);
  EXPECT_EQ(m.loads, 3);
}

TEST(DashboardModel, StatusTextTakesTheFirstRuleThatApplies) {
  FakeMonitor m;
  DashboardModel d(m);
  d.setActive(true);
  EXPECT_EQ(str(d.view(), "statusText"), "Waiting for first sample");
  m.reading_ = sampleReading(ThermalState::nominal);
  m.publish();
  EXPECT_TRUE(str(d.view(), "statusText").startsWith("Local monitoring · "));
  m.asleep_ = true;
  m.publish();
  EXPECT_EQ(str(d.view(), "statusText"), "Sleeping");
  m.paused_ = true;
  m.publish();
  EXPECT_EQ(str(d.view(), "statusText"), "Paused · last readings are historical");
  EXPECT_EQ(str(d.view(), "pauseLabel"), "Resume Monitoring");
  EXPECT_EQ(str(d.view(), "pauseSymbol"), "play.fill");
}

TEST(DashboardModel, OverviewFallbacksAndPowerTexts) {
  FakeMonitor m;
  m.stale_ = true;  // as the monitor is without a reading
  DashboardModel d(m);
  d.setActive(true);
  QVariantMap c = d.view().value("content").toMap();
  EXPECT_EQ(str(c, "cpu"), "Establishing baseline");
  EXPECT_EQ(str(c, "powerSource"), "Not available");
  EXPECT_EQ(str(c, "battery"), "Battery level not available");
  EXPECT_EQ(str(c, "charging"), "Charging status unavailable");
  EXPECT_EQ(str(c, "headline"), "Monitoring will begin shortly.");
  EXPECT_EQ(str(c, "title"), "Waiting for fresh readings");

  m.stale_ = false;
  m.reading_ = sampleReading(ThermalState::nominal);
  m.reading_->power.battery = 79.6;
  m.reading_->power.charging = false;
  m.advice_ = Advice{1, "All clear", "detail", {"one"}};
  m.publish();
  c = d.view().value("content").toMap();
  EXPECT_EQ(str(c, "title"), "Nominal");
  EXPECT_EQ(str(c, "battery"), "Battery 80%");
  EXPECT_EQ(str(c, "charging"), "Not charging");
  EXPECT_EQ(str(c, "headline"), "All clear");
  EXPECT_EQ(c.value("sensors").toList().size(), 2);
}

TEST(DashboardModel, ActivityOffShowsOnlyTheNotice) {
  FakeMonitor m;
  m.reading_ = sampleReading(ThermalState::nominal);
  m.preferences_.activity = false;
  DashboardModel d(m);
  d.setActive(true);
  d.selectPage(static_cast<int>(DashboardPage::activity));
  QVariantMap c = d.view().value("content").toMap();
  EXPECT_TRUE(c.value("showDisabled").toBool());
  EXPECT_FALSE(c.value("showEmpty").toBool());
  EXPECT_TRUE(c.value("rows").toList().isEmpty());

  m.preferences_.activity = true;
  m.publish();
  c = d.view().value("content").toMap();
  ASSERT_EQ(c.value("rows").toList().size(), 1);
  EXPECT_EQ(c.value("rows").toList()[0].toMap().value("share").toString(), "153.2%");
  m.reading_->activity.clear();
  m.publish();
  EXPECT_TRUE(d.view().value("content").toMap().value("showEmpty").toBool());
}

TEST(DashboardModel, HistoryDurationsEventsAndTemperatures) {
  FakeMonitor m;
  m.durations_ = {{ThermalState::nominal, 3725}, {ThermalState::unknown, 59.9}};
  m.events_ = {{{"time", "not a time"}, {"kind", "Power"}, {"detail", "Battery"}}};
  m.history_ = {sampleReading(ThermalState::nominal)};
  m.preferences_.unit = TemperatureUnit::fahrenheit;
  DashboardModel d(m);
  d.setActive(true);
  d.selectPage(static_cast<int>(DashboardPage::history));
  const QVariantMap c = d.view().value("content").toMap();
  const QVariantList durations = c.value("durations").toList();
  ASSERT_EQ(durations.size(), 5);
  EXPECT_EQ(durations[0].toMap().value("text").toString(), "1h 2m 5s");
  EXPECT_EQ(durations[1].toMap().value("text").toString(), "0h 0m 0s");
  EXPECT_EQ(durations[4].toMap().value("text").toString(), "0h 0m 59s");
  EXPECT_EQ(c.value("events").toList()[0].toMap().value("time").toString(), "not a time");
  EXPECT_EQ(str(c, "temperatureSummary"), "Highest displayed CPU/GPU sample: 109.8 °F");
  EXPECT_EQ(c.value("rangeIndex").toInt(), 0);
}

TEST(DashboardModel, ProblemAndClearConfirmation) {
  FakeMonitor m;
  m.problem_ = "Export failed";
  DashboardModel d(m);
  d.setActive(true);
  EXPECT_TRUE(d.view().value("hasProblem").toBool());
  d.dismissProblem();
  EXPECT_FALSE(d.view().value("hasProblem").toBool());
  m.problem_ = "Again";
  m.publish();
  EXPECT_EQ(str(d.view(), "problem"), "Again");

  d.setConfirmClear(true);
  EXPECT_EQ(m.clears, 0);
  d.clearHistoryConfirmed();
  EXPECT_EQ(m.clears, 1);
  EXPECT_FALSE(d.confirmClear());
}

TEST(SettingsModel, SavesOnceForEachChangeWhileShown) {
  FakeMonitor m;
  SettingsModel s(m);
  s.setSustainedIndex(2);
  EXPECT_EQ(m.preferences_.alerts.sustained, 120);
  EXPECT_EQ(m.saves, 0);  // the page is not on screen

  s.setShown(true);
  s.setCooldownIndex(0);
  s.setCooldownIndex(0);  // no change, no save
  s.setQuietStartIndex(22);  // already 22: no change, no save
  s.setQuietEndIndex(22);
  s.setRetentionIndex(2);
  s.setUnitIndex(1);
  s.setMenuIndex(0);
  EXPECT_EQ(m.saves, 5);
  EXPECT_EQ(m.preferences_.alerts.cooldown, 300);
  EXPECT_EQ(m.preferences_.alerts.quietStart, 22);
  EXPECT_EQ(m.preferences_.alerts.quietEnd, 22);
  EXPECT_EQ(m.preferences_.retention, 90);
  EXPECT_EQ(m.preferences_.unit, TemperatureUnit::fahrenheit);
  EXPECT_EQ(m.preferences_.menu, MenuMode::iconOnly);
  s.setUnitIndex(7);  // out of range: nothing happens
  EXPECT_EQ(m.saves, 5);
}

TEST(SettingsModel, StoredValuesOutsideTheOptionsAreKept) {
  FakeMonitor m;
  m.preferences_.alerts.sustained = 45;
  SettingsModel s(m);
  s.setShown(true);
  EXPECT_EQ(s.view().value("sustainedIndex").toInt(), -1);
  s.setAdvanced(true);
  EXPECT_EQ(m.preferences_.alerts.sustained, 45);
}

TEST(SettingsModel, AlertSwitchNeedsPermission) {
  FakeMonitor m;
  SettingsModel s(m);
  s.setShown(true);
  EXPECT_FALSE(s.view().value("alertsOperable").toBool());
  EXPECT_EQ(str(s.view(), "permissionLine"), "Notification permission: Not requested");
  s.setAlertsEnabled(true);
  EXPECT_FALSE(m.preferences_.alerts.enabled);
  m.permission_ = AuthorizationStatus::authorized;
  m.publish();
  EXPECT_TRUE(s.view().value("alertsOperable").toBool());
  s.setAlertsEnabled(true);
  EXPECT_TRUE(m.preferences_.alerts.enabled);
  s.requestAlerts();
  EXPECT_EQ(m.alertRequests, 1);
}

TEST(SettingsModel, SnoozeRowAndLoginButton) {
  FakeMonitor m;
  SettingsModel s(m);
  s.setShown(true);
  EXPECT_FALSE(s.view().value("snoozed").toBool());
  s.snooze();
  EXPECT_EQ(m.preferences_.alerts.snoozeUntil, m.now_ + 3600);
  EXPECT_TRUE(s.view().value("snoozed").toBool());
  EXPECT_TRUE(str(s.view(), "snoozeText").startsWith("Until "));
  s.cancelSnooze();
  EXPECT_EQ(m.preferences_.alerts.snoozeUntil, kDistantPast);
  EXPECT_FALSE(s.view().value("snoozed").toBool());

  EXPECT_EQ(str(s.view(), "loginButton"), "Enable");
  s.toggleLogin();
  m.loginStatus_ = LoginItemStatus::enabled;
  m.publish();
  EXPECT_EQ(str(s.view(), "loginButton"), "Disable");
  s.toggleLogin();
  EXPECT_EQ(m.logins, (std::vector<bool>{true, false}));
}

TEST(OnboardingModel, WelcomeThenWalkthroughOncePerRun) {
  FakeMonitor m;
  LaunchSession session;
  OnboardingModel o(m, session);
  o.begin();
  EXPECT_TRUE(o.view().value("showWelcome").toBool());
  o.finishWelcome();
  EXPECT_FALSE(o.view().value("showWelcome").toBool());
  EXPECT_TRUE(o.view().value("showTour").toBool());
  EXPECT_FALSE(o.view().value("hasBack").toBool());
  o.tourNext();
  o.tourNext();
  EXPECT_EQ(str(o.view(), "mainButton"), "Get started");
  EXPECT_EQ(str(o.view(), "counter"), "Step 3 of 3");
  o.tourNext();
  EXPECT_FALSE(o.view().value("showTour").toBool());

  o.begin();  // the window was reopened
  EXPECT_FALSE(o.view().value("showWelcome").toBool());
  EXPECT_FALSE(o.view().value("showTour").toBool());
  o.post("quorvel.openTour");
  EXPECT_TRUE(o.view().value("showTour").toBool());
  EXPECT_EQ(str(o.view(), "counter"), "Step 1 of 3");
}

TEST(OnboardingModel, SwitchesOffShowNothingAndAppsComeFromTheDataFile) {
  FakeMonitor m;
  m.defaults_.setBoolean("quorvel.showTour", false);
  m.defaults_.setBoolean("quorvel.showWelcome", false);
  LaunchSession session;
  OnboardingModel o(m, session);
  o.begin();
  EXPECT_FALSE(o.view().value("showWelcome").toBool() || o.view().value("showTour").toBool());
  EXPECT_TRUE(o.view().value("apps").toList().isEmpty());
  o.loadApps(R"([{"name":"Nimbus","icon":"qrc:/n.png","path":"nimbus"}])");
  const QVariantMap app = o.view().value("apps").toList().value(0).toMap();
  EXPECT_EQ(app.value("link").toString(),
            "https://quorvel.example/nimbus.html?utm_source=tempyra&utm_medium=app&utm_campaign="
            "quorvel_welcome");
}

}  // namespace
}  // namespace tempyra
