#include <gmock/gmock.h>

#include <random>
#include <tuple>

#include "core/model_json.h"
#include "history/history_store.h"
#include "history_test_support.h"

namespace tempyra::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::Pair;
using S = ThermalState;

struct Row {
  double at;
  S state;
  std::string segment = "a";
  std::vector<ProcessActivity> activity = {};
  double cpuTemperature = 60;
};

// Stores the rows in one transaction, behind the store's back (no events, no syncs).
void insert(const std::filesystem::path& file, const std::vector<Row>& rows) {
  RawDb db(file);
  db.exec("BEGIN");
  for (const Row& row : rows) {
    Reading r = makeReading(row.at, row.state, row.segment);
    r.activity = row.activity;
    r.sensors[0].value = row.cpuTemperature;
    db.exec("INSERT INTO samples(time,state,segment,json) VALUES(" + std::to_string(row.at) + "," +
            std::to_string(rawValue(row.state)) + ",'" + row.segment + "','" + *encodeJson(r) +
            "')");
  }
  db.exec("COMMIT");
}

using Span = std::tuple<double, double, S, bool>;  // start, end, highest, brief

TEST_F(HistoryTest, EpisodesEndAtGapsSegmentsAndCoolerStates) {
  const struct {
    const char* name;
    std::vector<Row> rows;
    std::vector<Span> spans;  // newest first
  } cases[] = {
      {"a gap of exactly 90 s is counted",
       {{0, S::fair}, {90, S::fair}},
       {{0, 90, S::fair, false}}},
      {"a gap over 90 s splits",
       {{0, S::fair}, {30, S::fair}, {121, S::fair}},
       {{121, 121, S::fair, true}, {0, 30, S::fair, true}}},
      {"a new segment splits",
       {{0, S::fair}, {30, S::serious, "b"}},
       {{30, 30, S::serious, true}, {0, 0, S::fair, true}}},
      {"the closing reading's interval counts",
       {{0, S::nominal}, {30, S::fair}, {60, S::serious}, {90, S::nominal}, {200, S::fair}},
       {{200, 200, S::fair, true}, {30, 90, S::serious, true}}},  // 30 s at serious
      {"an unknown state ends an episode",
       {{0, S::critical}, {30, S::unknown}, {60, S::fair}},
       {{60, 60, S::fair, true}, {0, 30, S::critical, true}}},
      {"brief: under a minute at the highest state",
       {{0, S::fair}, {60, S::fair}, {90, S::serious}},
       {{0, 90, S::serious, true}}},
      {"nominal alone is none", {{0, S::nominal}, {30, S::nominal}}, {}},
  };
  for (const auto& c : cases) {
    std::filesystem::remove(path());
    const auto store = openStore(path());
    insert(path(), c.rows);
    std::vector<Span> spans;
    for (const Episode& e : ok(store->episodes(0, -1))) {
      spans.push_back({e.start, e.end, e.highest, e.brief});
    }
    EXPECT_EQ(spans, c.spans) << c.name;
  }
}

TEST_F(HistoryTest, EpisodeFiguresComeFromTheIntervalsInsideIt) {
  const auto store = openStore(path());
  const ProcessActivity ffmpeg{7, "ffmpeg", 100}, renamed{8, "ffmpeg", 50}, chrome{9, "chrome", 20};
  insert(path(), {
                     {0, S::nominal, "a", {{1, "before", 300}}},
                     {30, S::fair, "a", {{1, "before", 300}}, 70},  // describes 0..30: not counted
                     {60, S::serious, "a", {ffmpeg, renamed, chrome}, 91},
                     {90, S::serious, "a", {}, 91},  // no activity: adds nothing
                     {120, S::fair, "a", {ffmpeg}, 80},
                     {150, S::nominal, "a", {chrome}},  // closes the episode: 120..150 counts
                 });
  RawDb(path()).exec("UPDATE samples SET json='{' WHERE time=90");  // still timed
  const auto episodes = ok(store->episodes(0, 10));
  ASSERT_EQ(episodes.size(), 1u);
  const Episode& e = episodes[0];
  EXPECT_EQ(e.start, 30);
  EXPECT_EQ(e.end, 150);
  EXPECT_THAT(e.seconds, ElementsAre(Pair(S::fair, 60.0), Pair(S::serious, 60.0)));
  EXPECT_EQ(e.highest, S::serious);
  EXPECT_FALSE(e.brief);
  EXPECT_EQ(e.cpuTemperature, (Episode::Peak{91, 60}));
  EXPECT_EQ(e.gpuTemperature, std::nullopt);
  EXPECT_EQ(e.powerSources, std::vector<std::string>{"AC power"});
  EXPECT_EQ(e.meanCpuLoad, 12.5);  // only 60, 120 and 150 were readable
  // ffmpeg: (100 + 50) % × 30 s + 100 % × 30 s = 75 CPU-seconds over 120 s.
  EXPECT_THAT(e.processes, ElementsAre(Episode::Process{"ffmpeg", 75, 62.5},
                                       Episode::Process{"chrome", 12, 10}));
}

TEST_F(HistoryTest, EpisodesKeepTheNewestWithinTheLimit) {
  const auto store = openStore(path());
  insert(path(), {{0, S::fair}, {1000, S::critical}, {2000, S::fair}});
  const auto newest = ok(store->episodes(500, 1));
  ASSERT_EQ(newest.size(), 1u);
  EXPECT_EQ(newest[0].start, 2000);
}

// Over any range, the episodes' times per state are the time-per-state figures above nominal.
TEST_F(HistoryTest, EpisodeTimesAddUpToTheDurationsAboveNominal) {
  const auto store = openStore(path());
  std::mt19937 rng(15);
  std::vector<Row> rows;
  double at = 1000;
  for (int i = 0; i < 400; ++i) {
    at += std::uniform_int_distribution<int>(0, 100)(rng);
    rows.push_back({at, static_cast<S>(std::uniform_int_distribution<int>(0, 4)(rng)),
                    i / 150 % 2 ? "a" : "b"});
  }
  insert(path(), rows);
  for (double since : {0.0, 5000.0, 12345.0}) {
    std::map<S, double> fromEpisodes;
    for (const Episode& e : ok(store->episodes(since, -1))) {
      for (const auto& [state, seconds] : e.seconds) fromEpisodes[state] += seconds;
    }
    auto durations = ok(store->durations(since, 1e300));
    durations.erase(S::nominal);
    durations.erase(S::unknown);
    for (const auto& [state, seconds] : durations) EXPECT_DOUBLE_EQ(fromEpisodes[state], seconds);
    EXPECT_EQ(fromEpisodes.size(), durations.size()) << since;
  }
}

}  // namespace
}  // namespace tempyra::testing
