#include <gmock/gmock.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <algorithm>
#include <atomic>
#include <csignal>
#include <nlohmann/json.hpp>
#include <thread>

#include "core/model_json.h"
#include "history/history_store.h"
#include "history_test_support.h"

namespace tempyra::testing {
namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;
using ::testing::Pair;

std::vector<double> times(const std::vector<Reading>& readings) {
  std::vector<double> t;
  for (const Reading& r : readings) t.push_back(r.timestamp);
  return t;
}

TEST_F(HistoryTest, EventsAreNewestFirstFromSinceWithinTheLimit) {
  const auto store = openStore(path());
  for (int i = 0; i < 6; ++i)
    ok(store->event(100 + (i / 2) * 10, EventKind::monitoring, "event " + std::to_string(i)));
  const auto events = ok(store->events(110, 3));
  ASSERT_EQ(events.size(), 3u);
  EXPECT_EQ(events[0], (Event{6, 120, EventKind::monitoring, "event 5", {}}));
  EXPECT_EQ(events[2].detail, "event 3");
  EXPECT_EQ(ok(store->events(110, -1)).size(), 4u);
  // A time that is not a number would otherwise pass for the newest event.
  // A kind this program does not write keeps its stored word.
  RawDb(path()).exec("INSERT INTO events(time,kind,detail) VALUES('soon','O','x'),(1e999,'O','y'),"
                     "(120,'Note','z')");
  const auto newest = ok(store->events(0, 1));
  ASSERT_EQ(newest.size(), 1u);
  EXPECT_EQ(newest[0], (Event{9, 120, EventKind::other, "z", "Note"}));
}

TEST_F(HistoryTest, SamplesKeepTheLastOfEachBucketAndSegment) {
  const auto store = openStore(path());
  // Buckets of 10 s over [1000, 1100]: three readings of one bucket in each of two segments.
  for (double t : {1000.0, 1001.0, 1002.0})
    ok(store->record(makeReading(t, ThermalState::fair, "a"), {}));
  for (double t : {1003.0, 1004.0, 1005.0})
    ok(store->record(makeReading(t, ThermalState::fair, "b"), {}));
  ok(store->record(makeReading(1100, ThermalState::fair, "b"), {}));
  ok(store->record(makeReading(1101, ThermalState::fair, "b"), {}));
  RawDb db(path());
  db.exec("UPDATE samples SET json='[]' WHERE time=1004");  // unreadable: skipped

  EXPECT_THAT(times(ok(store->samples(1000, 1100, 10))), ElementsAre(1002.0, 1005.0, 1100.0));
  // Narrow ranges use 1 s buckets and return every reading; inverted ranges nothing.
  EXPECT_THAT(times(ok(store->samples(1000, 1004, 1500))), ElementsAre(1000, 1001, 1002, 1003));
  EXPECT_TRUE(ok(store->samples(1100, 1000, 10)).empty());
}

TEST_F(HistoryTest, DurationsCountGapsUpTo90SecondsWithinASegment) {
  const auto store = openStore(path());
  RawDb db(path());
  const auto add = [&](double t, ThermalState s, const std::string& segment) {
    ok(store->record(makeReading(t, s, segment), {}));
  };
  for (int i = 0; i < 20; ++i) add(1000 + 30 * i, ThermalState::fair, "a");  // 19 x 30 s
  add(1570 + 90, ThermalState::serious, "a");              // 90 s after: counted for fair
  add(1660 + 91, ThermalState::serious, "a");              // 91 s: not counted for serious
  add(1751 + 30, ThermalState::critical, "a");             // counted for serious
  add(1781 + 5, ThermalState::nominal, "b");               // new segment: critical gets nothing
  db.exec("UPDATE samples SET json='{' WHERE time=1786");  // unreadable rows still count
  db.exec("INSERT INTO samples(time,state,segment,json) VALUES(5000,'hot','z','{}')");  // no state

  EXPECT_THAT(ok(store->durations(0, 1e10)),
              ElementsAre(Pair(ThermalState::nominal, 0.0), Pair(ThermalState::fair, 660.0),
                          Pair(ThermalState::serious, 30.0), Pair(ThermalState::critical, 0.0)));
  // Both ends inclusive; the last sample of a range counts nothing.
  EXPECT_THAT(ok(store->durations(1000, 1030)), ElementsAre(Pair(ThermalState::fair, 30.0)));
  EXPECT_TRUE(ok(store->durations(2000, 1000)).empty());
}

// The file a link names is replaced whole and keeps its permissions; a new export is private.
TEST_F(HistoryTest, ExportCopiesStoredTextsInOrderIntoTheLinkedFile) {
  const auto store = openStore(path());
  std::ofstream(path("old.json")) << std::string(5000, 'x');
  fs::permissions(path("old.json"), fs::perms(0640));
  fs::create_symlink("old.json", path("link.json"));
  ok(store->exportTo(path("new.json")));
  EXPECT_EQ(slurp(path("new.json")),
            R"({"schema":1,"units":"Per metric; timestamps are seconds since 1970 UTC",)"
            R"("device":null,"samples":[],"events":[]})");
  // The longest name a folder takes: the temporary file's name is a short one of its own.
  const auto longest = path(std::string(255, 'n'));
  ok(store->exportTo(longest));
  EXPECT_EQ(slurp(longest), slurp(path("new.json")));
  EXPECT_EQ(fs::status(path("new.json")).permissions(), fs::perms(0600));

  RawDb db(path());
  ok(store->record(makeReading(20, ThermalState::fair, "s"), {"M/1", "A", "O", "F", {{"k", "v"}}}));
  // Stored texts are copied byte for byte, whatever their key order or number form; texts that
  // are not JSON (cut short, not UTF-8) would break the document and are left out.
  db.exec(R"(INSERT INTO samples(time,state,segment,json) VALUES(10,0,'s','{"b" : 1.50}'),)"
          R"((20,0,'s','{"c":2}'),(15,0,'s','{"cut'),(15,0,'s',CAST(X'22FF22' AS TEXT)))");
  db.exec("DELETE FROM events");
  ok(store->event(5, EventKind::alert, "a/b · \"q\"\n"));
  ok(store->event(5, EventKind::alert, "second"));
  const ExportSummary summary = ok(store->exportTo(path("link.json")));
  EXPECT_EQ(summary.samples, 3);
  EXPECT_EQ(summary.skipped, 2);
  const std::string expected =
      R"({"schema":1,"units":"Per metric; timestamps are seconds since 1970 UTC",)"
      R"("device":)" +
      *db.scalar("SELECT json FROM device") + R"(,"samples":[{"b" : 1.50},)" +
      *db.scalar("SELECT json FROM samples WHERE id=1") +
      R"(,{"c":2}],"events":[{"detail":"a\/b · \"q\"\n","id":"1","kind":"Alert","time":"5.0"},)"
      R"({"detail":"second","id":"2","kind":"Alert","time":"5.0"}]})";
  EXPECT_EQ(slurp(path("old.json")), expected);
  EXPECT_TRUE(fs::is_symlink(path("link.json")));
  EXPECT_EQ(fs::status(path("old.json")).permissions(), fs::perms(0640));
}

// Targets that would destroy the history, block or swallow the document are refused before
// anything is written.
TEST_F(HistoryTest, ExportRefusesTheHistorysOwnFilesAndTargetsThatAreNotFiles) {
  constexpr const char* kOwn =
      "The export cannot replace the history's own files. Choose another file.";
  constexpr const char* kNotFile =
      "The export can only replace a regular file. Choose another file.";
  ok(openStore(path())->record(makeReading(1, ThermalState::fair, "s"), {}));
  fs::create_hard_link(path(), path("hard.sqlite"));
  fs::create_symlink(path(), path("soft.sqlite"));
  // Opened by a link of its own: the other names are the history's too.
  const auto store = openStore(path("soft.sqlite"));
  fs::create_directory(path("folder"));
  ASSERT_EQ(::mkfifo(path("fifo").c_str(), 0600), 0);
  const std::string tooLong(256, 'n');
  const std::vector<std::pair<fs::path, std::string>> cases = {
      {path(), kOwn},
      {dir_ / "." / "history.sqlite-wal", kOwn},
      {path("history.sqlite-shm"), kOwn},
      {path("history.sqlite-journal"), kOwn},  // absent now, a hot journal once written
      {path("hard.sqlite"), kOwn},
      {path("hard.sqlite-journal"), kOwn},  // SQLite's journal of the history by that name
      {path("hard.sqlite-wal"), kOwn},
      {path("soft.sqlite"), kOwn},
      {path("soft.sqlite-shm"), kOwn},
      {path("fifo"), kNotFile},
      {path("folder"), kNotFile},
      {"/dev/null", kNotFile},
      {path("missing") / "out.json",
       "Could not create export: the folder " + path("missing").string() + " does not exist."},
      {path("fifo") / "out.json",
       "Could not create export: " + path("fifo").string() + " is not a folder."},
      {path(tooLong), "Could not create export: the name " + tooLong + " is too long."},
  };
  const auto before = folder();
  for (const auto& [target, message] : cases) {
    EXPECT_EQ(outcome(store->exportTo(target)), message) << target;
  }
  EXPECT_EQ(folder(), before);
  // A folder the user may not write in (root may write anywhere).
  fs::permissions(path("folder"), fs::perms(0555));
  const int status = inChild([&] {
    if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) return kUnavailable;
    return outcome(store->exportTo(path("folder") / "out.json")) ==
                   "Could not create export: no permission to write in " +
                       path("folder").string() + "."
               ? 0
               : 1;
  });
  if (status != kUnavailable) {
    EXPECT_EQ(status, 0);
  }
}

// A write that the file system refuses (here beyond the child's file size limit) keeps the
// earlier export and leaves no temporary file.
TEST_F(HistoryTest, FailedExportKeepsTheEarlierFile) {
  const auto store = openStore(path());
  for (int i = 0; i < 30; ++i) ok(store->record(makeReading(i, ThermalState::fair, "s"), {}));
  ok(store->exportTo(path("out.json")));
  ok(store->record(makeReading(30, ThermalState::fair, "s"), {}));
  const auto before = folder();
  const int status = inChild([&] {
    ::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{4096, 4096};
    if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) return kUnavailable;
    const std::string failure = outcome(store->exportTo(path("out.json")));
    return failure.starts_with("filesystem error: Could not write the export: File too") ? 0 : 1;
  });
  EXPECT_EQ(status, 0);
  EXPECT_EQ(folder(), before);  // no temporary file left either
}

// One thread records while another exports and queries: every document is one moment of the
// history (each reading brings exactly one event after the first two) and parses.
TEST_F(HistoryTest, ExportIsConsistentWhileAnotherThreadRecords) {
  const auto store = openStore(path());
  std::atomic<bool> done = false;
  std::thread writer([&] {
    for (int i = 0; i < 150; ++i) {
      EXPECT_TRUE(store->record(
          makeReading(1000 + i, i % 2 ? ThermalState::fair : ThermalState::serious, "s"),
          {"M", "A", "O", "F", {}}));
    }
    done = true;
  });
  for (int exports = 0; !done || exports < 2; ++exports) {
    ok(store->exportTo(path("out.json")));
    const auto document = nlohmann::json::parse(*slurp(path("out.json")));
    const std::size_t samples = document.at("samples").size();
    EXPECT_EQ(document.at("events").size(), samples == 0 ? 0 : samples + 1);
    for (const auto& sample : document.at("samples")) EXPECT_TRUE(decodeReading(sample.dump()));
    EXPECT_TRUE(store->samples(0, 2000, 100) && store->durations(0, 2000) && store->events(0, 500));
  }
  writer.join();
  EXPECT_EQ(ok(store->samples(1000, 1149, 1500)).size(), 150u);
}

}  // namespace
}  // namespace tempyra::testing
