#include "probe/probe.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>

#include "core/model_json.h"
#include "core/open_metrics_text.h"

namespace tempyra {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> lines(const std::string& text) {
  std::vector<std::string> out;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) out.push_back(line);
  return out;
}

struct Run {
  int status;
  std::string out, err;
};

Run probe(const ProbeOptions& options) {
  std::ostringstream out, err;
  int status = runProbe(options, out, err, [](double) {});
  return {status, out.str(), err.str()};
}

class ProbeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = fs::temp_directory_path() /
          ("tempyra-probe-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
           "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir);
    fs::create_directories(dir);
  }
  void TearDown() override { fs::remove_all(dir); }
  fs::path dir;
};

TEST(ProbeOptions, ParsesEveryOptionAndRejectsBadOnes) {
  const std::string fixtures = TEMPYRA_FIXTURES;
  auto ok = parseProbeOptions({"--root", fixtures, "--samples", "5", "--interval", "0.5",
                               "--no-processes", "--demo", "--openmetrics", "--history", "h.db",
                               "--export", "e.json"});
  ASSERT_TRUE(ok) << ok.error();
  EXPECT_EQ(ok->root, fixtures);
  EXPECT_EQ(ok->samples, 5);
  EXPECT_DOUBLE_EQ(ok->interval, 0.5);
  EXPECT_FALSE(ok->processes);
  EXPECT_TRUE(ok->demo);
  EXPECT_TRUE(ok->openMetrics);
  EXPECT_EQ(ok->history, fs::path("h.db"));
  EXPECT_EQ(ok->exportFile, fs::path("e.json"));

  const std::vector<std::vector<std::string>> bad = {
      {"--samples"},        {"--samples", "0"},      {"--samples", "2x"},
      {"--interval", "-1"}, {"--interval", "nan"},   {"--root"},
      {"--export", "e"},    {"--verbose"},           {"--history", ""},
      {"--root", fixtures + "/missing"}, {"--root", fixtures + "/laptop/etc/os-release"}};
  for (const auto& args : bad) EXPECT_FALSE(parseProbeOptions(args)) << args.back();
}

TEST_F(ProbeTest, DemoRunPrintsProfileThenOneReadingPerLine) {
  ProbeOptions options;
  options.demo = true;
  options.samples = 3;
  auto run = probe(options);
  ASSERT_EQ(run.status, 0) << run.err;
  auto out = lines(run.out);
  ASSERT_EQ(out.size(), 4u);
  auto profile = decodeDeviceProfile(out[0]);
  ASSERT_TRUE(profile) << profile.error();
  EXPECT_EQ(profile->model, "Demo Mac");
  for (int i = 1; i <= 3; ++i) {
    auto reading = decodeReading(out[i]);
    ASSERT_TRUE(reading) << reading.error();
    EXPECT_EQ(reading->activity.size(), 2u);
  }
}

TEST_F(ProbeTest, CapturedTreePrintsItsProfileAndReadings) {
  ProbeOptions options;
  options.root = std::string(TEMPYRA_FIXTURES) + "/laptop";
  options.interval = 0;
  auto run = probe(options);
  ASSERT_EQ(run.status, 0) << run.err;
  auto out = lines(run.out);
  ASSERT_EQ(out.size(), 3u);
  auto profile = decodeDeviceProfile(out[0]);
  ASSERT_TRUE(profile) << profile.error();
  EXPECT_EQ(profile->model, "LENOVO 20XW0055GE");
  EXPECT_EQ(profile->fans, "2 fan(s) reported by hwmon");
  EXPECT_EQ(profile->capabilities.at("CPU/GPU temperature"),
            "hwmon and thermal zones · read-only · kernel driver sensors");
  for (int i = 1; i <= 2; ++i) {
    auto reading = decodeReading(out[i]);
    ASSERT_TRUE(reading) << reading.error();
    EXPECT_EQ(reading->power, (PowerContext{"AC power", 75.0, true}));
  }
  EXPECT_EQ(decodeReading(out[1])->cpu.source, "/proc/stat · establishing baseline");
}

TEST_F(ProbeTest, HistoryThenExportHoldsTheReadings) {
  ProbeOptions options;
  options.demo = true;
  options.history = dir / "sub" / "history.sqlite";
  options.exportFile = dir / "export.json";
  auto run = probe(options);
  ASSERT_EQ(run.status, 0) << run.err;

  std::ifstream in(*options.exportFile);
  auto document = nlohmann::json::parse(in, nullptr, false);
  ASSERT_FALSE(document.is_discarded());
  ASSERT_EQ(document["samples"].size(), 2u);
  EXPECT_EQ(document["device"]["model"], "Demo Mac");
  auto printed = lines(run.out);
  EXPECT_EQ(document["samples"][1].dump(), nlohmann::json::parse(printed[2]).dump());
}

// The metrics text is the last reading's (the earlier ones only set baselines); every reading
// is still recorded.
TEST_F(ProbeTest, OpenMetricsPrintsTheLastReadingAndRecordsAll) {
  ProbeOptions options;
  options.demo = true;
  options.openMetrics = true;
  options.samples = 3;
  options.history = dir / "history.sqlite";
  options.exportFile = dir / "export.json";
  auto run = probe(options);
  ASSERT_EQ(run.status, 0) << run.err;
  std::ifstream in(*options.exportFile);
  const auto samples = nlohmann::json::parse(in)["samples"];
  ASSERT_EQ(samples.size(), 3u);
  EXPECT_EQ(run.out, openMetricsText(*decodeReading(samples[2].dump())));
}

// Output that cannot be written, and an export onto the history itself, fail the run.
TEST_F(ProbeTest, FailedOutputAndExportOntoTheHistoryExitOne) {
  struct Full : std::streambuf {
    int overflow(int) override { return traits_type::eof(); }
  } full;
  std::ostream out(&full);
  std::ostringstream err;
  ProbeOptions options;
  options.demo = true;
  EXPECT_EQ(runProbe(options, out, err, [](double) {}), 1);
  EXPECT_NE(err.str().find("could not write"), std::string::npos);

  options.history = options.exportFile = dir / "history.sqlite";
  EXPECT_EQ(probe(options).status, 1);
  options.exportFile.reset();
  EXPECT_EQ(probe(options).status, 0) << "the history survives";
}

TEST_F(ProbeTest, UnopenableHistoryExitsOneAndLeavesTheFileAsFound) {
  const fs::path file = dir / "not-a-database.sqlite";
  const std::string content(4096, 'x');
  std::ofstream(file, std::ios::binary) << content;
  ProbeOptions options;
  options.demo = true;
  options.history = file;
  auto run = probe(options);
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("tempyra-probe: "), std::string::npos);
  EXPECT_TRUE(run.out.empty());
  std::ifstream in(file, std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), content);
}

}  // namespace
}  // namespace tempyra
