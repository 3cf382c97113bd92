#include "history/history_store.h"

#include <gmock/gmock.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <cmath>
#include <csignal>
#include <limits>
#include <random>
#include <set>

#include "core/model_json.h"
#include "history_test_support.h"

namespace tempyra::testing {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;

constexpr const char* kNewer = "This history was created by a newer app. It was preserved.";
constexpr const char* kDamaged = "History integrity check failed. Existing history was preserved.";
constexpr const char* kForeign = "This file holds another program's data. It was preserved.";
constexpr const char* kReadOnly = "The history file is read-only. It was preserved.";
constexpr const char* kCannotWrite =
    "The history file cannot be written: the file or its folder is read-only. It was left as it "
    "was.";

std::string openError(const fs::path& file) {
  const auto store = HistoryStore::open(file);
  return store ? "opened" : store.error();
}

fs::perms mode(const fs::path& file) { return fs::status(file).permissions() & fs::perms::mask; }

TEST_F(HistoryTest, CreatesAPrivateSchemaOnceAndReopensWithoutWriting) {
  const auto file = dir_ / "a" / "b" / "history.sqlite";
  fs::permissions(dir_, fs::perms(0755));
  openStore(file);
  const auto before = checksum(file);
  EXPECT_FALSE(openStore(file)->notice());
  EXPECT_EQ(checksum(file), before);
  EXPECT_EQ(mode(dir_), fs::perms(0755));  // an existing folder keeps its permissions
  EXPECT_EQ(mode(dir_ / "a"), fs::perms(0700));
  EXPECT_EQ(mode(dir_ / "a" / "b"), fs::perms(0700));
  EXPECT_EQ(mode(file), fs::perms(0600));
  RawDb db(file);
  EXPECT_EQ(db.scalar("PRAGMA user_version"), "1");
  EXPECT_EQ(db.scalar("PRAGMA journal_mode"), "wal");
  EXPECT_EQ(db.scalar("SELECT group_concat(name,' ') FROM (SELECT name FROM sqlite_master "
                      "ORDER BY name)"),
            "device event_time events sample_time samples");

  // A history that others can read stays so, and is mentioned.
  fs::permissions(file, fs::perms::others_read, fs::perm_options::add);
  EXPECT_THAT(openStore(file)->notice().value_or(""), HasSubstr(file.string()));
  EXPECT_EQ(mode(file), fs::perms(0604));

  // An empty database nobody has claimed is adopted.
  RawDb(path("plain.sqlite")).exec("PRAGMA user_version=0");
  openStore(path("plain.sqlite"));
  EXPECT_EQ(RawDb(path("plain.sqlite")).scalar("PRAGMA user_version"), "1");

  EXPECT_THAT(openError(path("plain.sqlite") / "history.sqlite"),
              HasSubstr("Could not create the history folder: Not a directory"));
}

// A history that cannot be adopted is left exactly as found, companions included; one that can
// keeps what its log holds, or what its rollback journal restores.
TEST_F(HistoryTest, FailedOpenLeavesDatabaseAndCompanionsUntouched) {
  enum Leftover { none, log, journal };
  struct Case {
    std::string name;
    Leftover leftover;  // copy the files while a writer's transaction holds them, as after a crash
    std::string setup;  // run by the writer, committed, before that transaction
    std::function<void(const fs::path&)> corrupt;
    std::string error;
  };
  const auto damage = [](const fs::path& f) {
    std::fstream(f, std::ios::in | std::ios::out | std::ios::binary).seekp(2 * 16384)
        << std::string(100, '\x5a');  // over the header of a b-tree page
  };
  const std::vector<Case> cases = {
      {"newer, log left behind", log, "PRAGMA user_version=2", nullptr, kNewer},
      {"unknown version", none, "PRAGMA user_version=-1", nullptr, kForeign},
      {"malformed schema", none,
       "PRAGMA writable_schema=ON; UPDATE sqlite_master SET sql='garbage' WHERE name='device'",
       nullptr, "The history file is damaged. It was left as it was."},
      {"current, log left behind", log, "", nullptr, "opened"},
      {"damaged pages", none, "", damage, kDamaged},
      {"not a database, stray log", none, "",
       [](const fs::path& f) {
         std::ofstream(f, std::ios::trunc) << "plain text";
         std::ofstream(f.native() + "-wal") << std::string(5000, 'w');
       },
       "This file is not a history database. It was left as it was."},
      {"newer, hot journal", journal, "PRAGMA user_version=2", nullptr, kNewer},
      {"damaged, hot journal", journal, "", damage, kDamaged},
      {"current, hot journal", journal, "", nullptr, "opened"},
      {"foreign table", none, "CREATE TABLE notes(x)", nullptr, kForeign},
      {"foreign columns", none, "DROP TABLE device; CREATE TABLE device(id, json, extra)", nullptr,
       kForeign},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const auto source = path(c.name + "-source.sqlite"), file = path(c.name + ".sqlite");
    {
      openStore(source);
      RawDb writer(source);
      if (c.leftover != log) writer.exec("PRAGMA journal_mode=DELETE");
      writer.exec("PRAGMA wal_autocheckpoint=0; PRAGMA cache_size=2");
      writer.exec(
          "WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i+1 FROM n WHERE i<39) "
          "INSERT INTO samples(time,state,segment,json) SELECT i,0,'s',hex(zeroblob(750)) "
          "FROM n");
      if (!c.setup.empty()) writer.exec(c.setup);
      if (c.leftover == journal) writer.exec("BEGIN; DELETE FROM samples WHERE time>=20");
      const std::vector<std::string> suffixes = c.leftover == log
                                                    ? std::vector<std::string>{"", "-wal", "-shm"}
                                                    : std::vector<std::string>{"", "-journal"};
      if (c.leftover != none) {
        for (const auto& suffix : suffixes)
          fs::copy_file(source.native() + suffix, file.native() + suffix);
      }
    }
    if (c.leftover == none) fs::copy_file(source, file);
    if (c.corrupt) c.corrupt(file);
    std::map<std::string, std::optional<std::size_t>> before;
    for (const char* suffix : {"", "-wal", "-shm", "-journal"})
      before[suffix] = checksum(file.native() + suffix);

    EXPECT_EQ(openError(file), c.error);
    if (c.error == "opened") {  // adopted with what the log holds, or the journal restores
      EXPECT_EQ(RawDb(file).count("samples"), 40);
      continue;
    }
    for (const char* suffix : {"", "-wal", "-shm", "-journal"}) {
      EXPECT_EQ(checksum(file.native() + suffix), before[suffix]) << "file" << suffix << " changed";
    }
  }
}

// Run as a user that may not write the file (root may write anything).
TEST_F(HistoryTest, ReadOnlyHistoryIsReportedWithoutCreatingCompanions) {
  openStore(path());
  fs::permissions(path(), fs::perms(0444));
  fs::permissions(dir_, fs::perms(0777));
  const auto before = checksum(path());
  const int status = inChild([&] {
    if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) return kUnavailable;
    return openError(path()) == kReadOnly ? 0 : 1;
  });
  if (status == kUnavailable) GTEST_SKIP() << "cannot drop privileges";
  EXPECT_EQ(status, 0);
  EXPECT_EQ(checksum(path()), before);
  EXPECT_FALSE(fs::exists(path("history.sqlite-wal")) || fs::exists(path("history.sqlite-shm")));
}

// A read-only store creates nothing: not a missing history nor its folder, and no companion
// files beside a closed one; it reads what a live writer has committed, and writes nothing.
TEST_F(HistoryTest, ReadOnlyAccessCreatesNothing) {
  const auto readOnly = [](const fs::path& file) {
    return HistoryStore::open(file, HistoryStore::Access::readOnly);
  };
  const auto missing = dir_ / "sub" / "history.sqlite";
  EXPECT_EQ(outcome(readOnly(missing)), "There is no history at " + missing.string() + ".");
  std::ofstream(path("empty.sqlite")).close();
  EXPECT_EQ(outcome(readOnly(path("empty.sqlite"))),
            "This file holds no history yet. It was left as it was.");
  ok(openStore(path())->record(makeReading(1, ThermalState::fair, "s"), {}));
  const auto before = folder();
  {
    const auto store = ok(readOnly(path()));
    EXPECT_EQ(ok(store->samples(0, 10, 10)).size(), 1u);
    EXPECT_EQ(outcome(store->event(2, EventKind::power, "x")), kCannotWrite);
  }
  EXPECT_EQ(folder(), before);
  EXPECT_FALSE(fs::exists(path("history.sqlite-shm")));

  const auto writer = openStore(path());
  ok(writer->record(makeReading(2, ThermalState::fair, "s"), {}));
  EXPECT_EQ(ok(ok(readOnly(path()))->samples(0, 10, 10)).size(), 2u);
  ok(writer->record(makeReading(3, ThermalState::fair, "s"), {}));  // its log was left alone
}

// On a full file system a current history still opens and reads, and no opening leaves an
// index file behind. The file system is a small tmpfs in a mount namespace of the child's own.
TEST_F(HistoryTest, FullDiskStillOpensAndReads) {
  const int status = inChild([&] {
    if (::unshare(CLONE_NEWNS) != 0 ||
        ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
        ::mount("tmpfs", dir_.c_str(), "tmpfs", 0, "size=4m") != 0) {
      return kUnavailable;
    }
    {
      const auto store = openStore(path());
      for (int i = 0; i < 20; ++i) ok(store->record(makeReading(i, ThermalState::fair, "s"), {}));
    }
    std::ofstream filler(path("filler"), std::ios::binary);
    while (filler << std::string(4096, 'f')) {
    }
    if (ok(openStore(path())->samples(0, 100, 100)).size() != 20) return 1;
    HistoryStore::open(path(), HistoryStore::Access::readOnly);
    return fs::exists(path("history.sqlite-shm")) ? 2 : 0;
  });
  if (status == kUnavailable) GTEST_SKIP() << "cannot mount a small file system";
  EXPECT_EQ(status, 0);
}

// A child records in a loop and reports each reading once record() returned; it is killed at a
// random moment. Every reported reading is there afterwards, in a history that passes its check.
TEST_F(HistoryTest, KillDuringRecordingLosesNoCommittedReading) {
  std::mt19937 random(::testing::UnitTest::GetInstance()->random_seed());
  for (int round = 0; round < 20; ++round) {
    int pipe[2];
    ASSERT_EQ(::pipe(pipe), 0);
    const pid_t child = ::fork();
    if (child == 0) {
      ::close(pipe[0]);
      const auto store = openStore(path());
      for (int i = 0;; ++i) {
        const double at = round * 1e6 + i;
        ok(store->record(makeReading(at, ThermalState::fair, "s"), {}));
        if (::write(pipe[1], &at, sizeof at) != sizeof at) ::_exit(1);
      }
    }
    ::close(pipe[1]);
    ::usleep(std::uniform_int_distribution<useconds_t>(2000, 60000)(random));
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    std::vector<double> reported;
    for (double at = 0; ::read(pipe[0], &at, sizeof at) == sizeof at;) reported.push_back(at);
    ::close(pipe[0]);

    const auto store = openStore(path());
    EXPECT_EQ(RawDb(path()).scalar("PRAGMA quick_check"), "ok");
    std::set<double> stored;
    for (const Reading& r : ok(store->samples(round * 1e6, round * 1e6 + 1e5, 1e6)))
      stored.insert(r.timestamp);
    for (double at : reported)
      EXPECT_EQ(stored.count(at), 1u) << "round " << round << ": lost " << at;
  }
}

TEST_F(HistoryTest, RecordWritesThermalAndPowerEventsOnChange) {
  const PowerContext ac{PowerSource::ac, 80, false, {}};
  const std::vector<std::pair<Reading, std::string>> steps = {
      {makeReading(100, ThermalState::fair, "s1", {PowerSource::ac, 80, std::nullopt, {}}),
       "Thermal: Fair · monitoring segment started | "
       "Power: AC power · battery 80% · charging unknown"},
      {makeReading(130, ThermalState::fair, "s1", {PowerSource::ac, 80, std::nullopt, {}}), ""},
      {makeReading(160, ThermalState::fair, "s1", ac),
       "Power: AC power · battery 80% · charging no"},
      {makeReading(190, ThermalState::serious, "s1", ac), "Thermal: Serious · state transition"},
      {makeReading(220, ThermalState::nominal, "s2", ac),
       "Thermal: Nominal · monitoring segment started"},
      {makeReading(250, ThermalState::nominal, "s2", {PowerSource::battery, 99.6, true, {}}),
       "Power: Battery · battery 100% · charging yes"},
      {makeReading(280, ThermalState::nominal, "s2", {PowerSource::ac, std::nullopt, true, {}}),
       "Power: AC power · battery not available · charging yes"},
  };
  const auto store = openStore(path());
  RawDb db(path());
  const auto newEvents = [&] {
    const auto text = db.scalar(
        "SELECT group_concat(kind||': '||detail,' | ') FROM events "
        "WHERE time=(SELECT MAX(time) FROM samples)");
    return text.value_or("");
  };
  for (const auto& [reading, events] : steps) {
    ok(store->record(reading, DeviceProfile{"Model", "x86_64", "Linux", "2 fans", {}}));
    EXPECT_EQ(newEvents(), events) << reading.timestamp;
  }
  EXPECT_EQ(db.scalar("SELECT time||' '||state||' '||segment FROM samples ORDER BY id DESC"),
            "280.0 0 s2");
  EXPECT_EQ(db.scalar("SELECT json FROM samples ORDER BY id DESC"),
            *encodeJson(steps.back().first));

  // An unreadable last sample counts as no previous reading: both events again.
  db.exec("UPDATE samples SET json='{' WHERE id=(SELECT MAX(id) FROM samples)");
  ok(store->record(makeReading(310, ThermalState::nominal, "s2", ac), {}));
  EXPECT_EQ(db.count("events WHERE time=310"), 2);
}

TEST_F(HistoryTest, FailedRecordWritesNothing) {
  const auto store = openStore(path());
  RawDb db(path());
  db.exec("CREATE TRIGGER fail BEFORE INSERT ON events BEGIN SELECT RAISE(ABORT,'injected'); END");
  EXPECT_EQ(outcome(store->record(makeReading(1, ThermalState::fair, "s"), {})), "injected");
  db.exec("DROP TRIGGER fail");

  Reading unencodable = makeReading(2, ThermalState::fair, "s");
  unencodable.sensors[0].value = std::numeric_limits<double>::quiet_NaN();
  EXPECT_FALSE(store->record(unencodable, {}));
  for (const char* table : {"samples", "device", "events"}) EXPECT_EQ(db.count(table), 0) << table;

  // The store is still usable: the failed transaction was closed.
  ok(store->record(makeReading(3, ThermalState::fair, "s"), {}));
  EXPECT_EQ(db.count("samples"), 1);
}

TEST_F(HistoryTest, PruneClampsThePeriodAndKeepsTheNewestRows) {
  const auto store = openStore(path());
  RawDb db(path());
  const double now = 400 * 86400.0;
  const auto fill = [&] {
    db.exec("DELETE FROM events");
    for (double age : {0.5, 1.5, 364.0, 366.0})
      ok(store->event(now - age * 86400, EventKind::alert, std::to_string(age)));
  };
  fill();
  ok(store->prune(0, now));
  EXPECT_EQ(db.scalar("SELECT group_concat(detail,' ') FROM events"), "0.500000");
  fill();
  ok(store->prune(1000, now));
  EXPECT_EQ(db.count("events"), 3);
  EXPECT_EQ(outcome(store->prune(30, std::numeric_limits<double>::infinity())),
            "History retention needs a valid current time. Nothing was deleted.");
  EXPECT_EQ(outcome(store->event(NAN, EventKind::alert, "x")),
            "An event needs a valid time. Nothing was written.");
  EXPECT_EQ(outcome(store->event(now, EventKind::other, "x")),
            "An event needs a known kind. Nothing was written.");
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
  ok(store->prune(30, now));
  EXPECT_EQ(db.scalar("SELECT MIN(id)||' '||COUNT(*) FROM samples"), "6 200000");
  EXPECT_EQ(db.scalar("SELECT MIN(id)||' '||COUNT(*) FROM events"), "6 20000");
  // A gap in the ids: 200,000 rows spread over more ids than that lose nothing.
  db.exec(
      "DELETE FROM samples WHERE id=100; INSERT INTO samples(time,state,segment,json) "
      "VALUES(" +
      std::to_string(now) + ",0,'s','{}')");
  ok(store->prune(30, now));
  EXPECT_EQ(db.scalar("SELECT MIN(id)||' '||COUNT(*) FROM samples"), "6 200000");
}

TEST_F(HistoryTest, ClearKeepsTheDeviceAndRestartsNumbering) {
  const auto store = openStore(path());
  ok(store->record(makeReading(1, ThermalState::fair, "s"), {"M", "A", "O", "F", {}}));
  ok(store->record(makeReading(2, ThermalState::fair, "s"), {"M", "A", "O", "F", {}}));
  RawDb db(path());
  // A clear that fails half-way deletes nothing.
  db.exec("CREATE TRIGGER fail BEFORE DELETE ON events BEGIN SELECT RAISE(ABORT,'kept'); END");
  EXPECT_EQ(outcome(store->clear()), "kept");
  EXPECT_EQ(db.count("samples"), 2);
  db.exec("DROP TRIGGER fail");

  ok(store->clear());
  EXPECT_EQ(db.count("samples") + db.count("events"), 0);
  EXPECT_EQ(db.count("device"), 1);
  ok(store->record(makeReading(3, ThermalState::fair, "s"), {}));
  EXPECT_EQ(db.scalar("SELECT group_concat(id||kind,' ') FROM events"), "1Thermal 2Power");
  EXPECT_EQ(db.scalar("SELECT id FROM samples"), "1");
}

// The samples are checked a piece at a time on the writer's own thread, and a text that differs
// from the last fully read one only inside its values is checked by comparison: across many
// pieces, with one text larger than a piece and every seventh text cut short, the export keeps
// and leaves out exactly what a check of each text alone would, in order. A write refused
// half-way fails the export and leaves the folder as it was.
TEST_F(HistoryTest, ExportKeepsExactlyTheTextsThatAreJsonAndStopsAtAFailedWrite) {
  const std::vector<std::pair<std::string, bool>> table = {
      {R"({"t":1,"v":[2.5,"a"],"ok":true})", true},
      {R"({"t":17,"v":[-0.25,"é \/"],"ok":null})", true},
      {R"({"t":12345678901234567890,"v":[1e5,"\u0041"],"ok":false})", true},
      {std::string(300, '[') + std::string(300, ']'), true},
      {R"({"t":01,"v":[2.5,"a"],"ok":true})", false},
      {"{\"t\":1,\"v\":[2.5,\"a\x01\"],\"ok\":true}", false},
      {"{\"t\":1,\"v\":[2.5,\"\xFF\"],\"ok\":true}", false},
      {R"({"t":1,"v":[2.5,"a\q"],"ok":true})", false},
      {R"({"t":1,"v":[2.5,"\ud800"],"ok":true})", false},
      {R"({"t":123456789012345678901,"v":[2.5,"a"],"ok":true})", false},
      {R"({"t":1e400,"v":[2.5,"a"],"ok":true})", false},
      {R"({1:1,"v":[2.5,"a"],"ok":true})", false},
      {R"({"t":1,"v":[2.5,"a"],"ok":true}{})", false},
      {"1,2", false},
      {R"({"t":1,"v":[2.5,"a"],"ok":true)", false},
      {std::string(1100, '[') + std::string(1100, ']'), false},
      {R"({"t":2,"v":[3.5,"b"],"ok":false})", true}};
  constexpr const char* kHex = "0123456789ABCDEF";
  const auto store = openStore(path());
  RawDb db(path());
  db.exec("BEGIN");
  std::string kept;
  int skipped = 0;
  for (int i = 1; i <= 4000; ++i) {
    std::string text = "{\"i\":" + std::to_string(i);
    bool json = i % 7 != 0;
    if (json) text += ",\"p\":\"" + std::string(1000, 'y') + "\"}";  // else cut short
    if (i == 2000) text = "[\"" + std::string(1500000, 'x') + "\"]";
    const auto at = static_cast<std::size_t>(i - 1000);  // the table's texts in a row from 1000
    if (at < table.size()) std::tie(text, json) = table[at];
    std::string hex;
    for (const unsigned char c : text) hex += {kHex[c >> 4], kHex[c % 16]};
    db.exec("INSERT INTO samples(time,state,segment,json) VALUES(" + std::to_string(i) +
            ",0,'s',CAST(X'" + hex + "' AS TEXT))");
    if (json) {
      kept += (kept.empty() ? "" : ",") + text;
    } else {
      ++skipped;
    }
  }
  db.exec("COMMIT");
  const ExportSummary summary = ok(store->exportTo(path("out.json")));
  EXPECT_EQ(summary.samples, 4000 - skipped);
  EXPECT_EQ(summary.skipped, skipped);
  EXPECT_THAT(slurp(path("out.json")).value_or(""), HasSubstr("\"samples\":[" + kept + "],"));
  const auto before = folder();
  const int status = inChild([&] {
    ::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{2 << 20, 2 << 20};
    if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) return kUnavailable;
    const std::string failure = outcome(store->exportTo(path("out.json")));
    return failure.starts_with("filesystem error: Could not write the export: File too") ? 0 : 1;
  });
  EXPECT_EQ(status, 0);
  EXPECT_EQ(folder(), before);
}

}  // namespace
}  // namespace tempyra::testing
