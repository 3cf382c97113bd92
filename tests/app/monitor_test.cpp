// The sampling loop against fake services, a scripted provider and a real store.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <algorithm>
#include <fstream>

#include "history/history_store.h"
#include "tests/app/fakes.h"

namespace tempyra::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

// Details of the events of one kind in the current range, oldest first.
std::vector<std::string> eventDetails(Monitor& m, EventKind kind) {
  m.loadHistory();
  m.TEST_settle();
  std::vector<std::string> out;
  for (const Event& e : m.history().events) {
    if (e.kind == kind) out.insert(out.begin(), e.detail);
  }
  return out;
}

// Runs `sql` on the history behind the store's back.
void sabotage(Rig& rig, const char* sql) {
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(rig.storePath.c_str(), &db), SQLITE_OK);
  EXPECT_EQ(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
  sqlite3_close(db);
}

// Time passes, then the timer's sample completes.
void step(Rig& rig, Monitor& m, double seconds = 30) {
  rig.clock->advance(seconds);
  m.sample();
  m.TEST_settle();
}

TEST(MonitorTest, TakesTheFirstSampleOnTheQueue) {
  Rig rig;
  auto m = std::make_unique<Monitor>(rig.services());
  EXPECT_TRUE(m->TEST_inFlight());
  EXPECT_FALSE(m->live().reading);
  m->TEST_settle();
  ASSERT_TRUE(m->live().reading);
  EXPECT_EQ(m->live().reading->segment, m->TEST_segment());
  EXPECT_EQ(m->history().readings.size(), 1u);  // the first reading reloads the history
  EXPECT_TRUE(eventDetails(*m, EventKind::monitoring).empty());  // construction writes no segment event
}

TEST(MonitorTest, UnopenableStoreKeepsMonitoringAndExplains) {
  Rig rig;
  std::filesystem::create_directories(rig.storePath.parent_path());
  std::ofstream(rig.storePath) << "not a database, and it has to stay exactly as it is";
  auto m = rig.start();
  EXPECT_EQ(m->history().problem,
            (Problem{ProblemKind::historyUnavailable,
                     "This file is not a history database. It was left as it was."}));
  ASSERT_TRUE(m->live().reading);
  EXPECT_TRUE(m->history().readings.empty());
  EXPECT_TRUE(m->TEST_scheduled());
  m->exportHistory();
  EXPECT_EQ(m->live().problem, m->history().problem);
  EXPECT_TRUE(rig.chooser->asked.empty());  // no dialog without a store
  m->clearProblem();
  m->clearHistory();
  m->TEST_settle();
  EXPECT_FALSE(m->live().problem);
}

TEST(MonitorTest, ResultCompletedAfterPauseIsDropped) {
  Rig rig;
  auto m = rig.start();
  const double first = m->live().reading->timestamp;
  rig.clock->advance(30);
  m->sample();
  m->togglePause();
  m->TEST_settle();
  EXPECT_EQ(m->live().reading->timestamp, first);
  EXPECT_EQ(m->TEST_count(), 1);
  EXPECT_FALSE(m->TEST_scheduled());
  EXPECT_TRUE(m->live().stale);
  EXPECT_EQ(m->live().advice->headline, "Waiting for a fresh reading");
  m->sample();  // refused while paused
  m->TEST_settle();
  EXPECT_EQ(rig.script->samples, 2);
  rig.clock->advance(200);
  m->togglePause();
  m->TEST_settle();
  EXPECT_EQ(m->TEST_count(), 2);
  EXPECT_THAT(eventDetails(*m, EventKind::monitoring),
              ElementsAre("Paused by user", "Resumed by user", "Sampling gap"));
}

TEST(MonitorTest, WakeAfterSleepStartsWakeThenGapSegments) {
  Rig rig;
  auto m = rig.start();
  rig.events->handlers.willSleep();
  EXPECT_TRUE(m->live().asleep);
  EXPECT_FALSE(m->TEST_scheduled());
  rig.clock->advance(600);
  rig.events->handlers.didWake();
  m->TEST_settle();
  EXPECT_FALSE(m->live().asleep);
  EXPECT_THAT(eventDetails(*m, EventKind::monitoring),
              ElementsAre("Sleep", "Wake \u00B7 readings resume", "Sampling gap"));
  EXPECT_EQ(m->live().reading->segment, m->TEST_segment());
  EXPECT_EQ(m->live().reading->timestamp, rig.clock->now());
  EXPECT_EQ(rig.script->resets, 3);  // each segment start reset the provider first
  std::lock_guard lock(rig.script->mutex);
  ASSERT_EQ(rig.script->threads.size(), 1u);  // only the sampling queue touched the provider
  EXPECT_NE(*rig.script->threads.begin(), std::this_thread::get_id());
}

TEST(MonitorTest, ClockSetBackwardsStartsNoGapSegment) {
  Rig rig;
  auto m = rig.start();
  rig.clock->advance(-3600);
  rig.events->handlers.clockChanged();
  m->TEST_settle();
  EXPECT_THAT(eventDetails(*m, EventKind::monitoring), ElementsAre("Clock changed"));
  EXPECT_EQ(m->TEST_count(), 2);
}

// One accepted reading announces the live state once and the unchanged setup not at all.
TEST(MonitorTest, AStepAnnouncesEachSnapshotThatChangedOnce) {
  Rig rig;
  auto m = rig.start();
  int live = 0, setup = 0;
  QObject::connect(m.get(), &MonitorSurface::liveChanged, [&] { ++live; });
  QObject::connect(m.get(), &MonitorSurface::setupChanged, [&] { ++setup; });
  step(rig, *m);
  m->setPreferences(m->setup().preferences);
  EXPECT_EQ(live, 1);
  EXPECT_EQ(setup, 0);
}

// A request that arrives while a sample is in flight is refused and arms nothing; a wake, clock
// change or resume also drops the sample it interrupted. Either way the loop keeps its timer.
TEST(MonitorTest, RequestsWhileInFlightAreRefusedAndTheLoopStaysArmed) {
  using Interrupt = std::function<void(Rig&, Monitor&)>;
  const std::tuple<const char*, Interrupt, int> cases[] = {
      {"thermal", [](Rig& r, Monitor&) { r.events->handlers.thermalStateChanged(); }, 2},
      {"clock", [](Rig& r, Monitor&) { r.events->handlers.clockChanged(); }, 1},
      {"sleep",
       [](Rig& r, Monitor&) { r.events->handlers.willSleep(), r.events->handlers.didWake(); }, 1},
      {"pause", [](Rig&, Monitor& m) { m.togglePause(), m.togglePause(); }, 1},
  };
  for (const auto& [name, interrupt, accepted] : cases) {
    SCOPED_TRACE(name);
    Rig rig;
    auto m = rig.start();
    rig.clock->advance(30);
    m->sample();
    interrupt(rig, *m);
    m->TEST_settle();
    EXPECT_EQ(rig.script->samples, 2);
    EXPECT_EQ(m->TEST_count(), accepted);  // 1: the sample in flight was dropped
    ASSERT_TRUE(m->TEST_scheduled());
    step(rig, *m);
    EXPECT_EQ(m->TEST_count(), accepted + 1);
  }
}

TEST(MonitorTest, IntervalFollowsStateDashboardAndLowPower) {
  struct Case {
    ThermalState state;
    bool detailVisible, lowPower;
    double interval, tolerance;
  };
  for (const Case& c : {Case{ThermalState::nominal, true, false, 30, 5},
                        Case{ThermalState::fair, false, false, 60, 5},
                        Case{ThermalState::unknown, true, true, 60, 5},
                        Case{ThermalState::serious, false, true, 10, 1},
                        Case{ThermalState::critical, true, false, 10, 1}}) {
    SCOPED_TRACE(rawValue(c.state));
    Rig rig;
    rig.script->state = c.state;
    rig.events->lowPower = c.lowPower;
    Monitor m(rig.services());
    m.setDetailVisible(c.detailVisible);
    m.TEST_settle();
    ASSERT_TRUE(m.TEST_scheduled());
    EXPECT_EQ(m.TEST_scheduled()->interval, c.interval);
    EXPECT_EQ(m.TEST_scheduled()->tolerance, c.tolerance);
  }
}

TEST(MonitorTest, OpeningTheDashboardBringsTheIdleSampleForward) {
  Rig rig;
  Monitor m(rig.services());
  m.setDetailVisible(false);
  m.TEST_settle();
  rig.clock->advance(20);
  m.setDetailVisible(true);
  EXPECT_EQ(m.TEST_scheduled()->interval, 10);
}

TEST(MonitorTest, EveryTenthReadingPrunesAndRefreshesThePermission) {
  Rig rig;
  {
    const auto store = std::move(*HistoryStore::open(rig.storePath));
    ASSERT_TRUE(store->event(rig.clock->now() - 20 * 86400.0, EventKind::thermalState, "old"));
    ASSERT_TRUE(store->event(rig.clock->now() - 2 * 86400.0, EventKind::thermalState, "recent"));
  }
  rig.prefer([](Preferences& p) { p.retention = 7; });
  auto m = rig.start();
  m->setHistoryView(false, HistoryRange::month);
  for (int i = 2; i <= 9; ++i) step(rig, *m);
  EXPECT_EQ(rig.notifications->statusRequests, 1);
  EXPECT_THAT(eventDetails(*m, EventKind::thermalState), ElementsAre("old", "recent"));
  rig.notifications->status = AuthorizationStatus::authorized;
  step(rig, *m);
  EXPECT_EQ(rig.notifications->statusRequests, 2);
  EXPECT_EQ(m->setup().permission, AuthorizationStatus::authorized);
  EXPECT_THAT(eventDetails(*m, EventKind::thermalState), ElementsAre("recent"));
}

// Episodes load with the history only while the History page shows in an open window; opening
// the dashboard an hour after it was last seen sums up the episodes since, until dismissed.
TEST(MonitorTest, OpeningAfterAnHourAwaySumsUpTheEpisodesSince) {
  Rig rig;
  auto m = rig.start();
  m->setDetailVisible(true);  // never seen before: nothing to sum up
  m->setHistoryView(true, HistoryRange::day);
  m->setDetailVisible(false);  // the History page stays selected in a closed window
  rig.script->state = ThermalState::serious;
  for (int i = 0; i < 4; ++i) step(rig, *m);
  rig.script->state = ThermalState::nominal;
  step(rig, *m);
  EXPECT_TRUE(m->history().episodes.empty());
  EXPECT_FALSE(m->live().away);

  rig.clock->advance(3600);
  m->setDetailVisible(true);  // reopened on the History page: the episodes load
  m->TEST_settle();
  EXPECT_EQ(m->live().away, (AwaySummary{1, 120, ThermalState::serious, "compiler"}));
  ASSERT_EQ(m->history().episodes.size(), 1u);
  EXPECT_EQ(m->history().episodes[0].duration(), 120);
  m->dismissAway();
  EXPECT_FALSE(m->live().away);
}

TEST(MonitorTest, AlertsOnlyWithPermissionAllowed) {
  struct Case {
    AuthorizationStatus status;
    std::optional<std::string> postError;
    bool alertedAMinuteAgo;
    std::vector<std::string> events;
  };
  const std::string ok = "Notification submitted: Critical";
  for (const Case& c : {Case{AuthorizationStatus::provisional, {}, false, {}},
                        Case{AuthorizationStatus::authorized, {}, false, {ok}},
                        Case{AuthorizationStatus::authorized, {}, true, {}},  // cool-down
                        Case{AuthorizationStatus::authorized, "gone", false,
                             {"Delivery failed: gone"}}}) {
    Rig rig;
    rig.script->state = ThermalState::critical;
    rig.notifications->status = c.status;
    rig.notifications->postError = c.postError;
    if (c.alertedAMinuteAgo) rig.defaults->setDate(kLastThermalAlertKey, rig.clock->now() - 60);
    rig.prefer([](Preferences& p) { p.alerts.enabled = true; });
    auto m = rig.start();
    for (int i = 0; i < 4; ++i) step(rig, *m);
    EXPECT_EQ(eventDetails(*m, EventKind::alert), c.events);
    ASSERT_EQ(rig.notifications->posted.size(), c.events.size());
    if (c.events.empty()) continue;
    EXPECT_EQ(rig.defaults->date(kLastThermalAlertKey), m->history().events[0].time);
    const Problem failed{ProblemKind::deliveryFailed, "gone"};
    EXPECT_EQ(m->live().problem, c.postError ? std::optional(failed) : std::nullopt);
  }
}

TEST(MonitorTest, RequestingAlertsStoresTheAnswer) {
  for (const bool grant : {true, false}) {
    Rig rig;
    rig.notifications->grant = grant;
    if (!grant) rig.notifications->requestError = "no server";
    auto m = rig.start();
    m->requestAlerts();
    m->TEST_settle();
    EXPECT_EQ(m->setup().permission,
              grant ? AuthorizationStatus::authorized : AuthorizationStatus::denied);
    EXPECT_EQ(m->live().problem.value_or(Problem{}).detail, grant ? "" : "no server");
    EXPECT_EQ(decodePreferences(*rig.defaults->bytes(kPreferencesKey))->alerts.enabled, grant);
  }
}

TEST(MonitorTest, PreferencesLoadWithSilentFallbackAndReset) {
  Rig rig;
  const std::string partial = R"({"unit":"Fahrenheit","menu":"Numerical"})";
  rig.defaults->setBytes(kPreferencesKey, partial);
  auto m = rig.start();
  EXPECT_EQ(m->setup().preferences, Preferences{});
  EXPECT_EQ(rig.defaults->bytes(kPreferencesKey), partial);  // nothing written back at load
  Preferences custom;
  custom.menu = MenuMode::iconOnly;
  m->setPreferences(custom);
  rig.defaults->setString(kAppearanceKey, "Dark");
  m->resetPreferences();
  EXPECT_EQ(m->setup().preferences, Preferences{});
  EXPECT_EQ(rig.defaults->string(kAppearanceKey), "System");
  EXPECT_EQ(decodePreferences(*rig.defaults->bytes(kPreferencesKey)).value(), Preferences{});
}

// A store that fails after it opened: what the user asked for shows in `problem`, the store's
// own work in `historyProblem`; monitoring goes on either way.
TEST(MonitorTest, StoreFailuresArePublishedWhereTheyBelong) {
  constexpr const char* kRefuseInserts =
      "CREATE TRIGGER full BEFORE INSERT ON samples BEGIN SELECT RAISE(ABORT,'full'); END";
  constexpr const char* kRefuseDeletes =
      "INSERT INTO samples(time,state,segment,json) VALUES(0,0,'old','{}');"
      "CREATE TRIGGER refuse BEFORE DELETE ON samples BEGIN SELECT RAISE(ABORT,'refused'); END";
  struct Case {
    const char* sabotage;  // run on the history behind the store's back
    std::function<void(Rig&, Monitor&)> act;
    std::optional<Problem> problem, historyProblem;
  };
  for (const Case& c : {
           Case{kRefuseInserts, [](Rig& rig, Monitor& m) { step(rig, m); }, std::nullopt,
                Problem{ProblemKind::saveFailed, "full"}},
           Case{"DROP TABLE events", [](Rig&, Monitor& m) { m.loadHistory(); }, std::nullopt,
                Problem{ProblemKind::reported, "no such table: events"}},
           Case{kRefuseDeletes, [](Rig&, Monitor& m) { m.clearHistory(); },
                Problem{ProblemKind::reported, "refused"}, std::nullopt},
           Case{kRefuseDeletes,
                [](Rig& rig, Monitor& m) {
                  for (int i = 2; i <= 10; ++i) step(rig, m);  // the tenth reading prunes
                },
                std::nullopt, Problem{ProblemKind::reported, "refused"}},
       }) {
    Rig rig;
    auto m = rig.start();
    sabotage(rig, c.sabotage);
    c.act(rig, *m);
    m->TEST_settle();
    EXPECT_EQ(m->live().problem, c.problem) << c.sabotage;
    EXPECT_EQ(m->history().problem, c.historyProblem) << c.sabotage;
    EXPECT_EQ(m->live().reading->timestamp, rig.clock->now());
    EXPECT_TRUE(m->TEST_scheduled());
  }
}

// Only the episodes query reads a row from the future, and that row cannot be read: the
// readings, events and durations of the same reload still arrive, beside the episodes' problem.
TEST(MonitorTest, AFailingEpisodesQueryLeavesTheRestOfTheReload) {
  Rig rig;
  auto m = rig.start();
  m->setDetailVisible(true);
  m->setHistoryView(true, HistoryRange::day);
  sabotage(rig,
           "ALTER TABLE samples RENAME TO stored;"
           "CREATE VIEW samples AS SELECT id,time,segment,json,"
           "CASE WHEN time>1e12 THEN json('unreadable') ELSE state END state FROM stored;"
           "INSERT INTO stored(time,state,segment,json) SELECT time-60,state,segment,json "
           "FROM stored;"
           "INSERT INTO stored(time,state,segment,json) VALUES(1e13,0,'later','{}');"
           "INSERT INTO events(time,kind,detail) SELECT MAX(time),'Power','AC' FROM stored "
           "WHERE time<1e12");
  m->loadHistory();
  m->TEST_settle();
  EXPECT_EQ(m->history().readings.size(), 2u);
  const Events& events = m->history().events;
  EXPECT_TRUE(std::any_of(events.begin(), events.end(), [](auto& e) { return e.detail == "AC"; }));
  EXPECT_EQ(m->history().durations.at(ThermalState::nominal), 60);
  EXPECT_THAT(m->history().problem.value_or(Problem{}).detail, HasSubstr("JSON"));
}

TEST(MonitorTest, ExportOntoTheHistoryIsRefusedAndClearEmptiesIt) {
  Rig rig;
  auto m = rig.start();
  rig.chooser->answer = rig.storePath;  // the save dialog pointed at the history itself
  m->exportHistory();
  m->TEST_settle();
  EXPECT_THAT(m->live().problem.value_or(Problem{}).detail, HasSubstr("the history's own files"));

  m->clearHistory();
  m->TEST_settle();
  EXPECT_TRUE(m->history().readings.empty() && m->history().events.empty() && m->history().durations.empty());
  EXPECT_TRUE(m->live().reading);
  m->setDetailVisible(true);
  m->setHistoryView(true, HistoryRange::hour);
  step(rig, *m);
  EXPECT_EQ(m->history().readings.size(), 1u);
}

TEST(MonitorTest, LoginItemCommandsPublishTheStatusAndTheFailure) {
  Rig rig;
  rig.login->afterRegister = LoginItemStatus::requiresApproval;
  auto m = rig.start();
  m->setLogin(true);
  EXPECT_EQ(m->setup().loginStatus, LoginItemStatus::requiresApproval);
  rig.login->failure = "read-only file system";
  m->setLogin(false);
  EXPECT_EQ(m->live().problem, (Problem{ProblemKind::loginItemFailed, "read-only file system"}));
}

// The demonstration build headless: the compiled-in dictionary (test_app carries the demo one),
// the real provider choice and system events, a store in a temporary directory.
TEST(MonitorTest, DemoBuildSeedsOnceSamplesRecordsAndReloads) {
  Rig rig;
  MonitorServices services = makeSystemServices();
  services.defaults = rig.defaults;
  services.notifications = rig.notifications;
  services.loginItem = rig.login;
  services.storePath = rig.storePath;
  const double t0 = services.clock->now();
  for (int run = 0; run < 2; ++run) {
    Monitor m(services);
    m.TEST_settle();
    EXPECT_FALSE(m.history().problem);
    ASSERT_TRUE(m.live().reading);
    EXPECT_FALSE(m.history().durations.empty());
  }
  const auto store = HistoryStore::open(rig.storePath);
  ASSERT_TRUE(store);
  EXPECT_EQ((*store)->samples(t0 - 7200, t0 + 3600, 100000)->size(), 122u);  // seeded once
}

}  // namespace
}  // namespace tempyra::testing
