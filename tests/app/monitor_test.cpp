// The sampling loop against fake services, a scripted provider and a real store.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

#include "app/monitor.h"
#include "app/monitor_services.h"
#include "core/advice.h"
#include "history/history_store.h"
#include "providers/demo_provider.h"
#include "tests/app/fakes.h"

namespace tempyra::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

// Details of the "kind" events in the current range, oldest first.
std::vector<std::string> eventDetails(Monitor& m, const std::string& kind) {
  m.loadHistory();
  m.settle();
  std::vector<std::string> out;
  for (const auto& row : m.events()) {
    if (row.at("kind") == kind) out.push_back(row.at("detail"));
  }
  std::reverse(out.begin(), out.end());
  return out;
}

// Takes one timer-driven step: time passes, then the pending timer's sample completes.
void step(Rig& rig, Monitor& m, double seconds = 30) {
  rig.clock->advance(seconds);
  m.sample();
  m.settle();
}

TEST(MonitorTest, ConstructsInOrderAndTakesTheFirstSample) {
  Rig rig;
  auto m = std::make_unique<Monitor>(rig.services());
  EXPECT_THAT(*rig.log, ElementsAre("defaults preferences", "defaults lastThermalAlert",
                                    "info QuorvelDemoData", "provider live", "events start",
                                    "notifications status", "login status"));
  EXPECT_TRUE(m->inFlight());
  EXPECT_FALSE(m->reading());
  EXPECT_EQ(m->menuTitle(), "Paused");
  m->settle();

  EXPECT_EQ(m->range(), "Hour");
  EXPECT_EQ(m->page(), "Overview");
  EXPECT_EQ(m->permission(), "Not requested");
  EXPECT_EQ(m->loginStatus(), "Off");
  EXPECT_EQ(m->profile().model, "Test machine");
  EXPECT_FALSE(m->historyProblem());
  ASSERT_TRUE(m->reading());
  EXPECT_EQ(m->reading()->segment, m->segment());
  EXPECT_EQ(m->count(), 1);
  ASSERT_EQ(m->history().size(), 1u);  // the first reading reloads the history
  EXPECT_EQ(m->segment().size(), 36u);
  EXPECT_EQ(m->segment(), QString::fromStdString(m->segment()).toUpper().toStdString());
  ASSERT_TRUE(m->scheduled());
  EXPECT_EQ(m->scheduled()->interval, 30);
  // Construction writes no "Monitoring" event.
  EXPECT_TRUE(eventDetails(*m, "Monitoring").empty());
}

TEST(MonitorTest, DemonstrationSeedsAnEmptyStoreOnce) {
  Rig rig;
  rig.demo = true;
  auto services = rig.services();
  services.makeProvider = [](bool demo) -> std::unique_ptr<SensorProvider> {
    EXPECT_TRUE(demo);
    return std::make_unique<DemoProvider>();
  };
  const double t0 = rig.clock->now();
  const DemoSeed seed = demoHistorySeed(t0);
  {
    Monitor m(services);
    m.settle();
    EXPECT_FALSE(m.historyProblem());
    EXPECT_EQ(m.history().size(), seed.readings.size() + 1);  // the seed plus the first reading
    std::vector<std::string> seedEvents;
    for (const auto& row : m.events()) {
      for (const SeedEvent& e : seed.events) {
        if (row.at("kind") == e.kind && row.at("detail") == e.detail) seedEvents.push_back(e.kind);
      }
    }
    EXPECT_EQ(seedEvents.size(), seed.events.size());
  }
  rig.clock->advance(60);
  {
    Monitor again(services);
    again.settle();
  }
  HistoryStore store(rig.storePath);  // not seeded a second time
  EXPECT_EQ(store.samples(t0 - 7200, t0 + 3600, 100000).size(), seed.readings.size() + 2);
}

TEST(MonitorTest, UnopenableStoreKeepsMonitoringAndExplains) {
  Rig rig;
  std::filesystem::create_directories(rig.storePath.parent_path());
  {
    std::ofstream junk(rig.storePath);
    junk << "this is not a database, and it has to stay exactly as it is";
  }
  auto m = rig.start();
  ASSERT_TRUE(m->historyProblem());
  EXPECT_THAT(*m->historyProblem(), ::testing::StartsWith("History is unavailable: "));
  EXPECT_THAT(*m->historyProblem(), ::testing::EndsWith(
                                        " Live monitoring continues; existing history is "
                                        "preserved."));
  ASSERT_TRUE(m->reading());
  EXPECT_TRUE(m->history().empty());
  EXPECT_TRUE(m->durations().empty());
  ASSERT_TRUE(m->scheduled());

  m->exportHistory();
  EXPECT_EQ(m->problem(), m->historyProblem());
  EXPECT_TRUE(rig.chooser->proposed.empty());  // no dialog without a store
  m->clearProblem();
  m->clearHistory();
  m->settle();
  EXPECT_FALSE(m->problem());
}

TEST(MonitorTest, RequestWhileInFlightIsRefusedAndArmsNothing) {
  Rig rig;
  auto m = rig.start();
  rig.clock->advance(30);
  m->sample();
  ASSERT_TRUE(m->inFlight());
  rig.events->handlers.thermalStateChanged();
  m->settle();
  EXPECT_EQ(rig.script->samples, 2);
  EXPECT_EQ(m->count(), 2);
  ASSERT_TRUE(m->scheduled());
}

TEST(MonitorTest, ResultCompletedAfterPauseIsDropped) {
  Rig rig;
  auto m = rig.start();
  const double first = m->reading()->timestamp;
  rig.clock->advance(30);
  m->sample();
  m->togglePause();
  m->settle();
  EXPECT_TRUE(m->paused());
  EXPECT_EQ(m->reading()->timestamp, first);
  EXPECT_EQ(m->count(), 1);
  EXPECT_FALSE(m->scheduled());
  EXPECT_TRUE(m->stale());
  EXPECT_EQ(m->menuTitle(), "Paused");
  EXPECT_EQ(m->display(m->reading()->sensors[0]), "Not available");
  const double now = rig.clock->now();
  EXPECT_EQ(m->advice(), Rules::evaluate(*m->reading(), now - m->stateSince(), now, -1));

  m->sample();  // refused while paused
  m->settle();
  EXPECT_EQ(rig.script->samples, 2);
  rig.clock->advance(200);
  m->togglePause();
  m->settle();
  EXPECT_EQ(m->count(), 2);
  EXPECT_THAT(eventDetails(*m, "Monitoring"),
              ElementsAre("Paused by user", "Resumed by user", "Sampling gap"));
}

TEST(MonitorTest, WakeAfterSleepStartsWakeThenGapSegments) {
  Rig rig;
  auto m = rig.start();
  rig.events->handlers.willSleep();
  EXPECT_TRUE(m->asleep());
  EXPECT_FALSE(m->scheduled());
  m->sample();  // refused while asleep
  m->settle();
  EXPECT_EQ(rig.script->samples, 1);

  rig.clock->advance(600);
  rig.events->handlers.didWake();
  m->settle();
  EXPECT_FALSE(m->asleep());
  EXPECT_THAT(eventDetails(*m, "Monitoring"),
              ElementsAre("Sleep", "Wake \u00B7 readings resume", "Sampling gap"));
  EXPECT_EQ(m->reading()->segment, m->segment());
  EXPECT_EQ(m->reading()->timestamp, rig.clock->now());
  EXPECT_TRUE(m->scheduled());
  // Every segment start reset the provider's baselines before the next sample.
  EXPECT_EQ(rig.script->resets, 3);
}

TEST(MonitorTest, ClockSetBackwardsStartsNoGapSegment) {
  Rig rig;
  auto m = rig.start();
  rig.clock->advance(-3600);
  rig.events->handlers.clockChanged();
  m->settle();
  EXPECT_THAT(eventDetails(*m, "Monitoring"), ElementsAre("Clock changed"));
  EXPECT_EQ(m->count(), 2);
}

// A wake, a clock change or a resume that arrives while a sample is in flight is refused, and
// the sample it interrupted is dropped: the loop must still have a timer afterwards.
TEST(MonitorTest, LoopStaysArmedWhenASegmentChangeDropsTheSampleInFlight) {
  struct Case {
    const char* name;
    std::function<void(Rig&, Monitor&)> interrupt;
  };
  const Case cases[] = {
      {"clock change", [](Rig& r, Monitor&) { r.events->handlers.clockChanged(); }},
      {"sleep and wake",
       [](Rig& r, Monitor&) {
         r.events->handlers.willSleep();
         r.events->handlers.didWake();
       }},
      {"pause and resume",
       [](Rig&, Monitor& m) {
         m.togglePause();
         m.togglePause();
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Rig rig;
    auto m = rig.start();
    rig.clock->advance(30);
    m->sample();
    ASSERT_TRUE(m->inFlight());
    c.interrupt(rig, *m);
    m->settle();
    EXPECT_EQ(m->count(), 1);  // the interrupted sample was dropped
    EXPECT_FALSE(m->paused() || m->asleep() || m->inFlight());
    ASSERT_TRUE(m->scheduled());
    step(rig, *m);
    EXPECT_EQ(m->count(), 2);
    EXPECT_EQ(m->reading()->segment, m->segment());
  }
}

TEST(MonitorTest, IntervalFollowsStateDashboardAndLowPower) {
  struct Case {
    ThermalState state;
    bool detailVisible, lowPower;
    double interval, tolerance;
  };
  const Case cases[] = {
      {ThermalState::nominal, true, false, 30, 5},
      {ThermalState::fair, false, false, 60, 5},
      {ThermalState::nominal, true, true, 60, 5},
      {ThermalState::unknown, true, false, 30, 5},
      {ThermalState::serious, false, true, 10, 1},
      {ThermalState::critical, true, false, 10, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << rawValue(c.state) << c.detailVisible << c.lowPower);
    Rig rig;
    rig.script->state = c.state;
    rig.events->lowPower = c.lowPower;
    auto m = std::make_unique<Monitor>(rig.services());
    m->setDetailVisible(c.detailVisible);
    m->settle();
    ASSERT_TRUE(m->scheduled());
    EXPECT_EQ(m->scheduled()->interval, c.interval);
    EXPECT_EQ(m->scheduled()->tolerance, c.tolerance);
  }
}

TEST(MonitorTest, EveryTenthReadingPrunesAndRefreshesThePermission) {
  Rig rig;
  {
    HistoryStore store(rig.storePath);
    store.event(rig.clock->now() - 20 * 86400.0, "Test", "old");
    store.event(rig.clock->now() - 2 * 86400.0, "Test", "recent");
  }
  Preferences p;
  p.retention = 7;
  rig.defaults->setBytes(kPreferencesKey, *encodeJson(p));
  auto m = rig.start();
  m->setRange("Month");
  for (int i = 2; i <= 9; ++i) step(rig, *m);
  EXPECT_EQ(rig.notifications->statusRequests, 1);
  EXPECT_THAT(eventDetails(*m, "Test"), ElementsAre("old", "recent"));
  rig.notifications->status = AuthorizationStatus::authorized;
  step(rig, *m);
  EXPECT_EQ(m->count(), 10);
  EXPECT_EQ(rig.notifications->statusRequests, 2);
  EXPECT_EQ(m->permission(), "Allowed");
  EXPECT_THAT(eventDetails(*m, "Test"), ElementsAre("recent"));
}

TEST(MonitorTest, HistoryReloadsOnReadingsOneFourSevenOrAlwaysOnTheHistoryPage) {
  for (const char* page : {"Overview", "History"}) {
    SCOPED_TRACE(page);
    Rig rig;
    auto m = std::make_unique<Monitor>(rig.services());
    m->setPage(page);
    std::vector<long long> reloads;
    QObject::connect(m.get(), &Monitor::historyChanged, [&] { reloads.push_back(m->count()); });
    m->settle();
    for (int i = 2; i <= 7; ++i) step(rig, *m);
    if (std::string(page) == "History") {
      EXPECT_THAT(reloads, ElementsAre(1, 1, 2, 3, 4, 5, 6, 7));
    } else {
      // The construction's own load comes after the first reading's.
      EXPECT_THAT(reloads, ElementsAre(1, 1, 4, 7));
    }
  }
}

// Critical readings 30 s apart for two minutes, with alerts switched on.
void runHotSpell(Rig& rig, Monitor& m) {
  Preferences p = m.preferences();
  p.alerts.enabled = true;
  p.alerts.sustained = 60;
  m.setPreferences(p);
  for (int i = 0; i < 4; ++i) step(rig, m);
}

TEST(MonitorTest, AlertsOnlyWithPermissionAllowed) {
  struct Case {
    AuthorizationStatus status;
    size_t posts;
  };
  for (const Case& c : {Case{AuthorizationStatus::notDetermined, 0},
                        Case{AuthorizationStatus::provisional, 0},
                        Case{AuthorizationStatus::denied, 0},
                        Case{AuthorizationStatus::authorized, 1}}) {
    SCOPED_TRACE(static_cast<int>(c.status));
    Rig rig;
    rig.script->state = ThermalState::critical;
    rig.notifications->status = c.status;
    auto m = rig.start();
    runHotSpell(rig, *m);
    ASSERT_EQ(rig.notifications->posted.size(), c.posts);
    if (c.posts == 0) continue;
    const UserNotification& n = rig.notifications->posted[0];
    EXPECT_EQ(n.title, "Critical thermal pressure");
    EXPECT_THAT(n.body, HasSubstr("sustained critical thermal pressure."));
    EXPECT_EQ(n.identifier.size(), 36u);
    const auto alerted = rig.defaults->date(kLastThermalAlertKey);
    ASSERT_TRUE(alerted);
    EXPECT_THAT(eventDetails(*m, "Alert"), ElementsAre("Notification submitted: Critical"));
    EXPECT_EQ(std::stod(m->events()[0].at("time")), *alerted);
    EXPECT_FALSE(m->problem());
  }
}

TEST(MonitorTest, FailedDeliveryIsLoggedAndReported) {
  Rig rig;
  rig.script->state = ThermalState::serious;
  rig.notifications->status = AuthorizationStatus::authorized;
  rig.notifications->postError = "server went away";
  auto m = rig.start();
  runHotSpell(rig, *m);
  EXPECT_EQ(m->problem(), "Notification could not be delivered: server went away");
  EXPECT_THAT(eventDetails(*m, "Alert"), ElementsAre("Delivery failed: server went away"));
}

TEST(MonitorTest, LastAlertSeedsTheCooldownAcrossStarts) {
  Rig rig;
  rig.script->state = ThermalState::critical;
  rig.notifications->status = AuthorizationStatus::authorized;
  rig.defaults->setDate(kLastThermalAlertKey, rig.clock->now() - 60);
  auto m = rig.start();
  runHotSpell(rig, *m);
  EXPECT_TRUE(rig.notifications->posted.empty());  // still inside the 900 s cool-down
}

TEST(MonitorTest, RequestingAlertsStoresTheAnswer) {
  struct Case {
    bool grant;
    std::optional<std::string> error;
    const char* permission;
  };
  for (const Case& c : {Case{true, std::nullopt, "Allowed"}, Case{false, std::nullopt, "Denied"},
                        Case{false, "no server", "Denied"}}) {
    Rig rig;
    rig.notifications->grant = c.grant;
    rig.notifications->requestError = c.error;
    auto m = rig.start();
    m->requestAlerts();
    m->settle();
    EXPECT_EQ(m->preferences().alerts.enabled, c.grant);
    EXPECT_EQ(m->permission(), c.permission);
    EXPECT_EQ(m->problem(), c.error);
    auto stored = decodePreferences(rig.defaults->bytes(kPreferencesKey).value_or(""));
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->alerts.enabled, c.grant);
  }
}

TEST(MonitorTest, PreferencesLoadWithSilentFallbackAndReset) {
  Rig rig;
  Preferences custom;
  custom.unit = "Fahrenheit";
  custom.menu = "Numerical";
  custom.retention = 7;
  custom.activity = false;
  rig.defaults->setBytes(kPreferencesKey, *encodeJson(custom));
  {
    auto m = rig.start();
    EXPECT_EQ(m->preferences(), custom);
  }
  rig.defaults->setBytes(kPreferencesKey, R"({"unit":"Fahrenheit","menu":"Numerical"})");
  {
    auto m = rig.start();
    EXPECT_EQ(m->preferences(), Preferences{});
    EXPECT_EQ(rig.defaults->bytes(kPreferencesKey),  // nothing written back at load
              R"({"unit":"Fahrenheit","menu":"Numerical"})");
    m->setPreferences(custom);
    rig.defaults->setString(kAppearanceKey, "Dark");
    m->resetPreferences();
    EXPECT_EQ(m->preferences(), Preferences{});
    EXPECT_EQ(rig.defaults->string(kAppearanceKey), "System");
    EXPECT_EQ(decodePreferences(*rig.defaults->bytes(kPreferencesKey)).value(), Preferences{});
  }
}

TEST(MonitorTest, SaveFailureIsReportedAndTheReadingStillPublished) {
  Rig rig;
  rig.script->cpu = std::numeric_limits<double>::infinity();  // cannot be stored as JSON
  auto m = rig.start();
  ASSERT_TRUE(m->reading());
  ASSERT_TRUE(m->historyProblem());
  EXPECT_THAT(*m->historyProblem(), ::testing::StartsWith("Could not save history: "));
  EXPECT_THAT(*m->historyProblem(), ::testing::EndsWith(". Live monitoring continues."));
  EXPECT_TRUE(m->scheduled());
  rig.script->cpu = 10;
  step(rig, *m);
  EXPECT_TRUE(m->historyProblem());  // a later success does not clear it
}

TEST(MonitorTest, ExportWritesTheChosenFileAndReportsFailures) {
  Rig rig;
  auto m = rig.start();
  m->exportHistory();  // cancelled
  m->settle();
  EXPECT_EQ(rig.chooser->proposed, "Thermal history.json");
  EXPECT_EQ(rig.chooser->contentType, "application/json");
  EXPECT_FALSE(m->problem());

  const std::filesystem::path out = rig.dir.filePath("export.json").toStdString();
  rig.chooser->answer = out;
  m->exportHistory();
  m->settle();
  EXPECT_FALSE(m->problem());
  std::ifstream in(out);
  std::string text((std::istreambuf_iterator<char>(in)), {});
  EXPECT_THAT(text, HasSubstr("\"samples\""));

  rig.chooser->answer = rig.dir.filePath("missing/dir/export.json").toStdString();
  m->exportHistory();
  m->settle();
  EXPECT_TRUE(m->problem());
}

TEST(MonitorTest, ClearEmptiesTheHistoryUntilTheNextSample) {
  Rig rig;
  auto m = rig.start();
  step(rig, *m);
  m->setPage("History");
  m->clearHistory();
  m->settle();
  EXPECT_TRUE(m->history().empty());
  EXPECT_TRUE(m->events().empty());
  EXPECT_TRUE(m->durations().empty());
  EXPECT_TRUE(m->reading());
  step(rig, *m);
  EXPECT_EQ(m->history().size(), 1u);
}

TEST(MonitorTest, LoginItemCommandsPublishTheStatus) {
  Rig rig;
  rig.login->afterRegister = LoginItemStatus::requiresApproval;
  auto m = rig.start();
  m->setLogin(true);
  EXPECT_EQ(m->loginStatus(), "Needs approval in System Settings");
  EXPECT_FALSE(m->problem());
  rig.login->failure = "read-only file system";
  m->setLogin(false);
  EXPECT_EQ(m->problem(), "Login item: read-only file system");
  EXPECT_EQ(m->loginStatus(), "Needs approval in System Settings");
  rig.login->current = LoginItemStatus::notFound;
  m->refreshLogin();
  EXPECT_EQ(m->loginStatus(), "Unavailable");
}

TEST(MonitorTest, EngineWorkRunsOnlyOnTheSamplingQueue) {
  Rig rig;
  auto m = rig.start();
  step(rig, *m);
  m->togglePause();
  m->togglePause();
  m->settle();
  std::lock_guard lock(rig.script->mutex);
  ASSERT_EQ(rig.script->threads.size(), 1u);
  EXPECT_NE(*rig.script->threads.begin(), std::this_thread::get_id());
}

// The demonstration build headless: the compiled-in dictionary (test_app carries the demo one),
// the real provider choice and system events, a store in a temporary directory.
TEST(MonitorTest, DemoBuildSeedsSamplesRecordsAndReloads) {
  Rig rig;
  MonitorServices services = makeSystemServices();
  services.defaults = rig.defaults;
  services.notifications = rig.notifications;
  services.loginItem = rig.login;
  services.storePath = rig.storePath;
  Monitor m(services);
  m.settle();
  EXPECT_FALSE(m.historyProblem());
  ASSERT_TRUE(m.reading());
  EXPECT_EQ(m.reading()->segment, m.segment());
  EXPECT_GT(m.history().size(), 100u);  // the seeded hour and the first reading
  EXPECT_FALSE(m.durations().empty());
  EXPECT_TRUE(m.scheduled());
  EXPECT_FALSE(m.stale());
  EXPECT_NE(m.menuTitle(), "Paused");
}

}  // namespace
}  // namespace tempyra::testing
