// The node_exporter textfile: written after every reading the monitor accepts, by its exporter.
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <QCoreApplication>

#include <algorithm>
#include <atomic>
#include <fstream>
#include <iterator>

#include "app/metrics_exporter.h"
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
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// Every entry of a folder, hidden temporary files included.
std::vector<std::string> entries(const fs::path& folder) {
  std::vector<std::string> out;
  for (const auto& e : fs::directory_iterator(folder)) out.push_back(e.path().filename());
  std::sort(out.begin(), out.end());
  return out;
}

// An exporter of its own, on a queue of its own, answering a plain receiver.
struct MetricsTest : ::testing::Test {
  Rig rig;
  fs::path a = rig.dir.filePath("a").toStdString(), b = rig.dir.filePath("b").toStdString();
  QObject receiver;
  std::shared_ptr<Relay> relay = Relay::create(&receiver);
  SerialQueue queue{"metrics test"};
  Reading reading = testReading(rig.clock->now(), ThermalState::nominal);
  void SetUp() override {
    fs::create_directories(a);
    fs::create_directories(b);
  }
  void TearDown() override { relay->close(); }
  std::unique_ptr<MetricsExporter> exporter(bool demo = false) {
    auto e = std::make_unique<MetricsExporter>(queue, relay, rig.defaults, demo);
    e->observe(reading);
    return e;
  }
  void settle() {
    queue.drain();
    QCoreApplication::sendPostedEvents(&receiver, QEvent::MetaCall);
  }
  // The file holds the reading's text, readable by the collector's user.
  void expectCurrent(const Reading& r, const fs::path& folder) {
    const auto text = slurp(folder / kMetricsFileName);
    ASSERT_TRUE(text) << folder;
    EXPECT_EQ(*text, openMetricsText(r));
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
  EXPECT_EQ(m->setup().metricsFolder, a);
  expectCurrent(*m->live().reading, a);
  rig.clock->advance(30);
  m->sample();
  m->TEST_settle();
  expectCurrent(*m->live().reading, a);
  EXPECT_EQ(entries(a), std::vector<std::string>{kMetricsFileName});
}

// The file is rewritten with every reading: replaced whole, but never flushed to the disk.
TEST_F(MetricsTest, ReplacedWholeWithoutAFlush) {
  const int before = flushes;
  for (const char* text : {"first 1\n", "second 2\n"}) {
    ASSERT_FALSE(writeMetricsFile(a, text));
    EXPECT_EQ(slurp(a / kMetricsFileName), text);
  }
  EXPECT_EQ(flushes - before, 0);
  EXPECT_EQ(entries(a), std::vector<std::string>{kMetricsFileName});
}

// The demonstration's invented readings never reach a collector: no folder is taken, neither
// the stored one nor a new one.
TEST_F(MetricsTest, TheDemonstrationNeverWritesThem) {
  rig.defaults->setString(kMetricsFolderKey, a.string());
  auto e = exporter(true);
  rig.chooser->answer = b;
  e->chooseFolder(rig.chooser.get());
  e->setFolder(b);
  settle();
  EXPECT_FALSE(e->folder());
  EXPECT_TRUE(entries(a).empty() && entries(b).empty());
}

// A chosen folder gets the current reading at once; moving on or stopping removes the file.
TEST_F(MetricsTest, ChoosingMovesAndStoppingRemovesTheFile) {
  auto e = exporter();
  rig.chooser->answer = a;
  e->chooseFolder(rig.chooser.get());
  settle();
  expectCurrent(reading, a);
  EXPECT_EQ(rig.defaults->string(kMetricsFolderKey), a.string());

  rig.chooser->answer = std::nullopt;  // cancelled: nothing changes
  e->chooseFolder(rig.chooser.get());
  EXPECT_EQ(rig.chooser->asked, "folder " + a.string());
  e->setFolder(b);
  settle();
  expectCurrent(reading, b);
  EXPECT_TRUE(entries(a).empty());

  e->stop();
  settle();
  EXPECT_TRUE(entries(b).empty());
  EXPECT_FALSE(e->folder());
  EXPECT_FALSE(rig.defaults->string(kMetricsFolderKey));
}

// A folder that is gone or a name taken by a folder gives one problem and no partial file, and
// a later success clears the problem.
TEST_F(MetricsTest, FailuresAreOneProblemThatASuccessClears) {
  auto e = exporter();
  const std::pair<fs::path, Problem> cases[] = {
      {a / "gone", {ProblemKind::metricsFolderMissing, {}, 0, a / "gone"}},
      {a, {ProblemKind::metricsWriteFailed, "Is a directory", 0, a / kMetricsFileName}},
  };
  fs::create_directory(a / kMetricsFileName);
  for (const auto& [folder, problem] : cases) {
    e->setFolder(folder);
    settle();
    EXPECT_EQ(e->problem(), problem);
    EXPECT_EQ(entries(a), std::vector<std::string>{kMetricsFileName});
  }
  fs::remove(a / kMetricsFileName);
  e->observe(reading);
  settle();
  EXPECT_FALSE(e->problem());
  expectCurrent(reading, a);
}

}  // namespace
}  // namespace tempyra::testing
