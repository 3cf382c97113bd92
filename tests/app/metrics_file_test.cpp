// The node_exporter textfile the monitor writes after every accepted reading.
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>

#include <fstream>
#include <sstream>

#include "app/metrics_file.h"
#include "core/open_metrics_text.h"
#include "tests/app/fakes.h"

// Every flush this test program asks for, counted on its way to the kernel.
static std::atomic<int> flushes{0};
extern "C" int fsync(int fd) {
  ++flushes;
  return static_cast<int>(::syscall(SYS_fsync, fd));
}
extern "C" int fdatasync(int fd) {
  ++flushes;
  return static_cast<int>(::syscall(SYS_fdatasync, fd));
}

namespace tempyra::testing {
namespace {

namespace fs = std::filesystem;

std::optional<std::string> slurp(const fs::path& file) {
  std::ifstream in(file);
  if (!in) return std::nullopt;
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// Every entry of a folder, hidden temporary files included.
std::vector<std::string> entries(const fs::path& folder) {
  std::vector<std::string> out;
  for (const auto& e : fs::directory_iterator(folder)) out.push_back(e.path().filename());
  std::sort(out.begin(), out.end());
  return out;
}

struct MetricsTest : ::testing::Test {
  Rig rig;
  fs::path a = rig.dir.filePath("a").toStdString(), b = rig.dir.filePath("b").toStdString();
  void SetUp() override {
    fs::create_directories(a);
    fs::create_directories(b);
  }
  // The file holds the published reading's text, readable by the collector's user.
  void expectCurrent(Monitor& m, const fs::path& folder) {
    const auto text = slurp(folder / kMetricsFileName);
    ASSERT_TRUE(text) << folder;
    EXPECT_EQ(*text, openMetricsText(*m.reading()));
    struct stat st {};
    ::stat((folder / kMetricsFileName).c_str(), &st);
    EXPECT_EQ(st.st_mode & 0777, 0644u);
  }
};

TEST_F(MetricsTest, WrittenAfterEveryReadingWhateverTheUmask) {
  const mode_t mask = ::umask(077);
  rig.defaults->setString(kMetricsFolderKey, a.string());
  auto m = rig.start();
  ::umask(mask);
  EXPECT_EQ(m->metricsFolder(), a);
  expectCurrent(*m, a);
  rig.clock->advance(30);
  m->sample();
  m->TEST_settle();
  expectCurrent(*m, a);
  EXPECT_EQ(entries(a), std::vector<std::string>{kMetricsFileName});
}

// The file is rewritten with every reading: replaced whole, but never flushed to the disk.
TEST_F(MetricsTest, ReplacedWholeWithoutAFlush) {
  const int before = flushes;
  for (const char* text : {"first 1\n", "second 2\n"}) {
    ASSERT_TRUE(writeMetricsFile(a, text));
    EXPECT_EQ(slurp(a / kMetricsFileName), text);
  }
  EXPECT_EQ(flushes - before, 0);
  EXPECT_EQ(entries(a), std::vector<std::string>{kMetricsFileName});
}

// The demonstration's invented readings never reach a collector: no folder is taken, neither
// the stored one nor a new one.
TEST_F(MetricsTest, TheDemonstrationNeverWritesThem) {
  rig.defaults->setString(kMetricsFolderKey, a.string());
  Monitor m(rig.services(true));
  m.TEST_settle();
  rig.chooser->answer = b;
  m.chooseMetricsFolder();
  m.setMetricsFolder(b);
  m.TEST_settle();
  EXPECT_FALSE(m.metricsFolder());
  EXPECT_TRUE(entries(a).empty() && entries(b).empty());
}

// A chosen folder gets the current reading at once; moving on or stopping removes the file.
TEST_F(MetricsTest, ChoosingMovesAndStoppingRemovesTheFile) {
  auto m = rig.start();
  rig.chooser->answer = a;
  m->chooseMetricsFolder();
  m->TEST_settle();
  expectCurrent(*m, a);
  EXPECT_EQ(rig.defaults->string(kMetricsFolderKey), a.string());

  rig.chooser->answer = std::nullopt;  // cancelled: nothing changes
  m->chooseMetricsFolder();
  EXPECT_EQ(rig.chooser->asked, "folder " + a.string());
  m->setMetricsFolder(b);
  m->TEST_settle();
  expectCurrent(*m, b);
  EXPECT_TRUE(entries(a).empty());

  m->stopMetrics();
  m->TEST_settle();
  EXPECT_TRUE(entries(b).empty());
  EXPECT_FALSE(m->metricsFolder());
  EXPECT_FALSE(rig.defaults->string(kMetricsFolderKey));
}

// A folder that is gone or a name taken by a folder gives one problem text and no partial
// file; monitoring and history go on, and a later success clears the text.
TEST_F(MetricsTest, FailuresAreOneTextThatASuccessClears) {
  auto m = rig.start();
  const std::pair<fs::path, std::string> cases[] = {
      {a / "gone", "Metrics not written: the folder " + (a / "gone").string() + " does not exist."},
      {a, "Metrics not written to " + (a / kMetricsFileName).string() + ": Is a directory."},
  };
  fs::create_directory(a / kMetricsFileName);
  for (const auto& [folder, problem] : cases) {
    m->setMetricsFolder(folder);
    rig.clock->advance(30);
    m->sample();
    m->TEST_settle();
    EXPECT_EQ(m->metricsProblem(), problem);
    EXPECT_EQ(entries(a), std::vector<std::string>{kMetricsFileName});
    EXPECT_EQ(m->reading()->timestamp, rig.clock->now());
    EXPECT_FALSE(m->historyProblem());
  }
  fs::remove(a / kMetricsFileName);
  rig.clock->advance(30);
  m->sample();
  m->TEST_settle();
  EXPECT_FALSE(m->metricsProblem());
  expectCurrent(*m, a);
}

}  // namespace
}  // namespace tempyra::testing
