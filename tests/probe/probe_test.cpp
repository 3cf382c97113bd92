#include "probe/probe.h"

#include <nlohmann/json.hpp>

#include "core/model_json.h"
#include "core/platform_words.h"
#include "core/open_metrics_text.h"
#include "tests/history/history_test_support.h"

namespace tempyra::testing {
namespace {

namespace fs = std::filesystem;

struct Run {
  int status;
  std::vector<std::string> out;  // the printed lines
  std::string err;
};

// `waits`: how many waits between readings pass before a stop signal ends the run.
Run probe(const ProbeOptions& options, int waits = 1 << 30) {
  std::ostringstream out, err;
  Run run{runProbe(options, out, err, [&waits](double) { return waits-- > 0; }), {}, err.str()};
  std::istringstream in(out.str());
  for (std::string line; std::getline(in, line);) run.out.push_back(line);
  return run;
}

class ProbeTest : public HistoryTest {
 protected:
  // A demonstration run of `samples` readings, recorded and exported into the test's folder.
  ProbeOptions demo(int samples = 2) const {
    ProbeOptions options;
    options.demo = true;
    options.samples = samples;
    options.history = path();
    options.exportFile = path("export.json");
    return options;
  }
  nlohmann::json exported() const { return nlohmann::json::parse(*slurp(path("export.json"))); }
};

TEST(ProbeOptions, ParsesEveryOptionAndRejectsBadOnes) {
  const std::string fixtures = TEMPYRA_FIXTURES;
  auto ok = parseProbeOptions({"--root", fixtures, "--samples", "5", "--interval", "0.5",
                               "--no-processes", "--demo", "--openmetrics", "--history", "h.db",
                               "--export", "e.json"});
  ASSERT_TRUE(ok) << ok.error();
  EXPECT_TRUE(ok->samples == 5 && ok->interval == 0.5 && !ok->processes && ok->openMetrics);

  const std::vector<std::vector<std::string>> bad = {
      {"--samples"},        {"--samples", "0"},      {"--samples", "2x"},
      {"--interval", "-1"}, {"--interval", "nan"},   {"--root"},
      {"--export", "e"},    {"--verbose"},           {"--history", ""},
      {"--root", fixtures + "/missing"}, {"--root", fixtures + "/laptop/etc/os-release"},
      {"--episodes"},       {"--since", "5"},
      {"--history", "h", "--episodes", "--since", "x"},
      {"--history", "h", "--episodes", "--export", "e"},
      {"--history", "h", "--episodes", "--openmetrics"}};
  for (const auto& args : bad) EXPECT_FALSE(parseProbeOptions(args)) << args.back();
}

// The profile, then the readings, each recorded and exported as printed. A stop signal ends the
// run after the reading in hand: recorded, exported, exit 0.
TEST_F(ProbeTest, DemoRunPrintsRecordsAndExportsItsReadingsUntilStopped) {
  ProbeOptions options = demo(10);
  options.history = dir_ / "sub" / "history.sqlite";
  const auto run = probe(options, 1);
  ASSERT_EQ(run.status, 0) << run.err;
  const auto& out = run.out;
  ASSERT_EQ(out.size(), 3u);
  EXPECT_EQ(decodeDeviceProfile(out[0])->model, platformWord(PlatformWord::demoModel));
  const auto document = exported();
  ASSERT_EQ(document["samples"].size(), 2u);
  for (int i = 0; i < 2; ++i) EXPECT_EQ(document["samples"][i], nlohmann::json::parse(out[i + 1]));
}

// The metrics text is the last reading's (the earlier ones only set baselines); every reading
// is still recorded.
TEST_F(ProbeTest, OpenMetricsPrintsTheLastReadingAndRecordsAll) {
  ProbeOptions options = demo(3);
  options.openMetrics = true;
  const auto run = probe(options);
  ASSERT_EQ(run.status, 0) << run.err;
  const auto samples = exported()["samples"];
  ASSERT_EQ(samples.size(), 3u);
  std::string printed;
  for (const auto& line : run.out) printed += line + "\n";
  EXPECT_EQ(printed, openMetricsText(*decodeReading(samples[2].dump())));
}

// A history that cannot be opened is left as found; an export onto the history is refused and
// the history survives it. Either fails the run with the store's message.
TEST_F(ProbeTest, HistoryFailuresExitOneWithTheStoresMessage) {
  const fs::path garbage = dir_ / "not-a-database.sqlite";
  const std::string content(4096, 'x');
  std::ofstream(garbage, std::ios::binary) << content;
  ProbeOptions options;
  options.demo = true;
  options.history = garbage;
  auto run = probe(options);
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err,
            "tempyra-probe: This file is not a history database. It was left as it was.\n");
  EXPECT_TRUE(run.out.empty());
  EXPECT_EQ(slurp(garbage), content);

  options.history = options.exportFile = dir_ / "history.sqlite";
  run = probe(options);
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err,
            "tempyra-probe: The export cannot replace the history's own files. Choose another "
            "file.\n");
  options.exportFile.reset();
  EXPECT_EQ(probe(options).status, 0) << "the history survives";

  // A query reads only: a missing history is reported and not made.
  options.history = dir_ / "missing" / "history.sqlite";
  options.episodes = true;
  run = probe(options);
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, "tempyra-probe: no history at " + options.history->string() + "\n");
  EXPECT_FALSE(fs::exists(dir_ / "missing"));
}

// Episodes as JSON lines, newest first, keys in their documented order, from --since on.
TEST_F(ProbeTest, EpisodesArePrintedAsJsonLinesFromTheHistory) {
  {
    const auto store = openStore(path());
    for (double at : {1000.0, 1030.0, 2000.0}) {
      Reading r;  // no figures: the line's empty forms
      r.timestamp = at;
      r.state = at == 1030 ? ThermalState::serious : ThermalState::fair;
      r.segment = "s";
      ok(store->record(r, {}));
    }
  }
  ProbeOptions options;
  options.history = path();
  options.episodes = true;
  auto run = probe(options);
  ASSERT_EQ(run.status, 0) << run.err;
  ASSERT_EQ(run.out.size(), 2u);
  EXPECT_EQ(run.out[1],
            "{\"start\":1000,\"end\":1030,\"duration\":30,\"highest\":\"Serious\",\"brief\":true,"
            "\"seconds\":{\"Fair\":30,\"Serious\":0},\"cpuTemperature\":null,"
            "\"gpuTemperature\":null,\"meanCpuLoad\":null,\"powerSources\":[\"Not available\"],"
            "\"processes\":[]}");
  options.since = 1500;
  run = probe(options);
  ASSERT_EQ(run.out.size(), 1u);
  EXPECT_EQ(nlohmann::json::parse(run.out[0])["start"], 2000);
}

}  // namespace
}  // namespace tempyra::testing
