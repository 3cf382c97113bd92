#include "history/history_store.h"

#include <gmock/gmock.h>

#include <cmath>
#include <limits>

#include "core/model_json.h"
#include "history_test_support.h"

namespace tempyra::testing {
namespace {

constexpr const char* kNewer = "This history was created by a newer app. It was preserved.";
constexpr const char* kDamaged = "History integrity check failed. Existing history was preserved.";

std::string openError(const std::filesystem::path& file) try {
  HistoryStore store(file);
  return "opened";
} catch (const std::exception& e) {
  return e.what();
}

TEST_F(HistoryTest, CreatesSchemaOnceAndAdoptsPlainDatabases) {
  const auto file = dir_ / "a" / "b" / "history.sqlite";
  { HistoryStore store(file); }
  { HistoryStore again(file); }
  RawDb db(file);
  EXPECT_EQ(db.scalar("PRAGMA user_version"), "1");
  EXPECT_EQ(db.scalar("PRAGMA journal_mode"), "wal");
  EXPECT_EQ(db.scalar("PRAGMA page_size"), "16384");
  EXPECT_EQ(db.scalar("SELECT group_concat(name,' ') FROM (SELECT name FROM sqlite_master "
                      "ORDER BY name)"),
            "device event_time events sample_time samples");

  RawDb(path("plain.sqlite")).exec("CREATE TABLE notes(x); PRAGMA user_version=-3");
  { HistoryStore plain(path("plain.sqlite")); }
  RawDb plain(path("plain.sqlite"));
  EXPECT_EQ(plain.scalar("PRAGMA user_version"), "1");
  EXPECT_EQ(plain.scalar("PRAGMA page_size"), "4096");  // fixed once a file has pages

  EXPECT_THROW(HistoryStore(path("plain.sqlite") / "history.sqlite"),
               std::filesystem::filesystem_error);
}

// A history that cannot be adopted is left exactly as found, companions included; one that can
// keeps what its log holds.
TEST_F(HistoryTest, FailedOpenLeavesDatabaseAndCompanionsUntouched) {
  struct Case {
    std::string name;
    bool leaveLog;  // copy the files while a writer still holds the log open, as after a crash
    bool newer;
    std::function<void(const std::filesystem::path&)> corrupt;
    std::string error;
  };
  const std::vector<Case> cases = {
      {"newer, log left behind", true, true, nullptr, kNewer},
      {"current, log left behind", true, false, nullptr, "opened"},
      {"newer, closed cleanly", false, true, nullptr, kNewer},
      {"damaged pages", false, false,
       [](const std::filesystem::path& f) {
         std::fstream(f, std::ios::in | std::ios::out | std::ios::binary).seekp(2 * 16384)
             << std::string(100, '\x5a');  // over the header of a b-tree page
       },
       kDamaged},
      {"not a database, stray log", false, false,
       [](const std::filesystem::path& f) {
         std::ofstream(f, std::ios::trunc) << "plain text";
         std::ofstream(f.native() + "-wal") << std::string(5000, 'w');
       },
       "file is not a database"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const auto source = path(c.name + "-source.sqlite"), file = path(c.name + ".sqlite");
    {
      { HistoryStore store(source); }
      RawDb writer(source);
      writer.exec("PRAGMA wal_autocheckpoint=0");
      for (int i = 0; i < 40; ++i) {
        writer.exec("INSERT INTO samples(time,state,segment,json) VALUES(" + std::to_string(i) +
                    ",0,'s','" + std::string(1500, 'j') + "')");
      }
      if (c.newer) writer.exec("PRAGMA user_version=2");
      if (c.leaveLog) {
        for (const char* suffix : {"", "-wal", "-shm"}) {
          std::filesystem::copy_file(source.native() + suffix, file.native() + suffix);
        }
      }
    }
    if (!c.leaveLog) std::filesystem::copy_file(source, file);
    if (c.corrupt) c.corrupt(file);
    std::map<std::string, std::optional<std::size_t>> before;
    for (const char* suffix : {"", "-wal", "-shm"})
      before[suffix] = checksum(file.native() + suffix);
    EXPECT_EQ(c.leaveLog, before["-shm"].has_value());

    EXPECT_EQ(openError(file), c.error);
    if (c.error == "opened") {  // adopted with the log's content
      EXPECT_EQ(RawDb(file).count("samples"), 40);
      continue;
    }
    for (const char* suffix : {"", "-wal", "-shm"}) {
      EXPECT_EQ(checksum(file.native() + suffix), before[suffix]) << "file" << suffix << " changed";
    }
  }
}

TEST_F(HistoryTest, RecordWritesThermalAndPowerEventsOnChange) {
  const PowerContext ac{"AC power", 80, false};
  const std::vector<std::pair<Reading, std::string>> steps = {
      {makeReading(100, ThermalState::fair, "s1", {"AC power", 80, std::nullopt}),
       "Thermal: Fair · monitoring segment started | "
       "Power: AC power · battery 80% · charging unknown"},
      {makeReading(130, ThermalState::fair, "s1", {"AC power", 80, std::nullopt}), ""},
      {makeReading(160, ThermalState::fair, "s1", ac),
       "Power: AC power · battery 80% · charging no"},
      {makeReading(190, ThermalState::serious, "s1", ac), "Thermal: Serious · state transition"},
      {makeReading(220, ThermalState::nominal, "s2", ac),
       "Thermal: Nominal · monitoring segment started"},
      {makeReading(250, ThermalState::nominal, "s2", {"Battery", 99.6, true}),
       "Power: Battery · battery 100% · charging yes"},
      {makeReading(280, ThermalState::nominal, "s2", {"AC power", std::nullopt, true}),
       "Power: AC power · battery not available · charging yes"},
  };
  HistoryStore store(path());
  RawDb db(path());
  const auto newEvents = [&] {
    const auto text = db.scalar(
        "SELECT group_concat(kind||': '||detail,' | ') FROM events "
        "WHERE time=(SELECT MAX(time) FROM samples)");
    return text.value_or("");
  };
  for (const auto& [reading, events] : steps) {
    store.record(reading, DeviceProfile{"Model", "x86_64", "Linux", "2 fans", {}});
    EXPECT_EQ(newEvents(), events) << reading.timestamp;
  }
  EXPECT_EQ(db.scalar("SELECT time||' '||state||' '||segment FROM samples ORDER BY id DESC"),
            "280.0 0 s2");
  EXPECT_EQ(db.scalar("SELECT json FROM samples ORDER BY id DESC"),
            *encodeJson(steps.back().first));

  // An unreadable last sample counts as no previous reading: both events again.
  db.exec("UPDATE samples SET json='{' WHERE id=(SELECT MAX(id) FROM samples)");
  store.record(makeReading(310, ThermalState::nominal, "s2", ac), {});
  EXPECT_EQ(db.count("events WHERE time=310"), 2);
}

TEST_F(HistoryTest, FailedRecordWritesNothing) {
  HistoryStore store(path());
  RawDb db(path());
  db.exec("CREATE TRIGGER fail BEFORE INSERT ON events BEGIN SELECT RAISE(ABORT,'injected'); END");
  EXPECT_THAT([&] { store.record(makeReading(1, ThermalState::fair, "s"), {}); },
              ::testing::ThrowsMessage<HistoryError>(::testing::StrEq("injected")));
  db.exec("DROP TRIGGER fail");

  Reading unencodable = makeReading(2, ThermalState::fair, "s");
  unencodable.sensors[0].value = std::numeric_limits<double>::quiet_NaN();
  EXPECT_THROW(store.record(unencodable, {}), HistoryError);
  for (const char* table : {"samples", "device", "events"}) EXPECT_EQ(db.count(table), 0) << table;

  // The store is still usable: the failed transaction was closed.
  store.record(makeReading(3, ThermalState::fair, "s"), {});
  EXPECT_EQ(db.count("samples"), 1);
}

TEST_F(HistoryTest, PruneClampsThePeriodAndKeepsTheNewestRows) {
  HistoryStore store(path());
  RawDb db(path());
  const double now = 400 * 86400.0;
  const auto fill = [&] {
    db.exec("DELETE FROM events");
    for (double age : {0.5, 1.5, 364.0, 366.0})
      store.event(now - age * 86400, "T", std::to_string(age));
  };
  fill();
  store.prune(0, now);
  EXPECT_EQ(db.scalar("SELECT group_concat(detail,' ') FROM events"), "0.500000");
  fill();
  store.prune(1000, now);
  EXPECT_EQ(db.count("events"), 3);
  EXPECT_THROW(store.prune(30, std::numeric_limits<double>::infinity()), HistoryError);
  EXPECT_THROW(store.event(NAN, "Test", "x"), HistoryError);
  EXPECT_EQ(db.count("events"), 3);

  // Bounds: five samples and five events over, all within the period.
  db.exec(
      "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i+1 FROM n WHERE i<200005) "
      "INSERT INTO samples(time,state,segment,json) SELECT " +
      std::to_string(now) + ",0,'s','{}' FROM n");
  db.exec(
      "DELETE FROM events; WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i+1 FROM n "
      "WHERE i<20005) INSERT INTO events(time,kind,detail) SELECT " +
      std::to_string(now) + ",'k','d' FROM n");
  store.prune(30, now);
  EXPECT_EQ(db.scalar("SELECT MIN(id)||' '||COUNT(*) FROM samples"), "6 200000");
  EXPECT_EQ(db.scalar("SELECT MIN(id)||' '||COUNT(*) FROM events"), "6 20000");
  // A gap in the ids: 200,000 rows spread over more ids than that lose nothing.
  db.exec(
      "DELETE FROM samples WHERE id=100; INSERT INTO samples(time,state,segment,json) "
      "VALUES(" +
      std::to_string(now) + ",0,'s','{}')");
  store.prune(30, now);
  EXPECT_EQ(db.scalar("SELECT MIN(id)||' '||COUNT(*) FROM samples"), "6 200000");
}

TEST_F(HistoryTest, ClearKeepsTheDeviceAndRestartsNumbering) {
  HistoryStore store(path());
  store.record(makeReading(1, ThermalState::fair, "s"), {"M", "A", "O", "F", {}});
  store.record(makeReading(2, ThermalState::fair, "s"), {"M", "A", "O", "F", {}});
  store.clear();
  RawDb db(path());
  EXPECT_EQ(db.count("samples") + db.count("events"), 0);
  EXPECT_EQ(db.count("device"), 1);
  store.record(makeReading(3, ThermalState::fair, "s"), {});
  EXPECT_EQ(db.scalar("SELECT group_concat(id||kind,' ') FROM events"), "1Thermal 2Power");
  EXPECT_EQ(db.scalar("SELECT id FROM samples"), "1");
}

}  // namespace
}  // namespace tempyra::testing
