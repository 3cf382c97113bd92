#include "core/atomic_file.h"

#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <ctime>
#include <fstream>
#include <functional>
#include <set>
#include <sstream>

namespace tempyra {
namespace {

namespace fs = std::filesystem;

constexpr int kUnavailable = 77;

// Exit status of a forked child that runs `body`; -1 when it was killed.
int inChild(const std::function<int()>& body) {
  const pid_t pid = ::fork();
  if (pid == 0) ::_exit(body());
  int status = 0;
  ::waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::set<std::string> entries(const fs::path& dir) {
  std::set<std::string> names;
  for (const auto& entry : fs::directory_iterator(dir)) names.insert(entry.path().filename());
  return names;
}

std::string content(const fs::path& file) {
  std::ostringstream text;
  text << std::ifstream(file).rdbuf();
  return text.str();
}

void age(const fs::path& file, time_t seconds) {
  const timespec times[2] = {{std::time(nullptr) - seconds, 0}, {std::time(nullptr) - seconds, 0}};
  ::utimensat(AT_FDCWD, file.c_str(), times, AT_SYMLINK_NOFOLLOW);
}

// A writer killed half-way leaves no trace where the file system has unnamed files. Where it
// has none (here: /proc hidden, through which an unnamed file is named) it leaves a named one,
// which the next writer in the folder removes once it is a day old, and nothing else.
TEST(AtomicFileTest, KilledWriterLeavesNothingBehindForLong) {
  const fs::path dir = fs::temp_directory_path() / ("tempyra-atomic-" + std::to_string(::getpid()));
  fs::remove_all(dir);
  fs::create_directories(dir);
  const fs::path target = dir / "out.json";
  std::ofstream(target) << "old";
  const auto killedWriter = [&](bool hideProc) {
    return inChild([&] {
      if (hideProc && (::unshare(CLONE_NEWNS) != 0 ||
                       ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
                       ::mount("tmpfs", "/proc", "tmpfs", 0, nullptr) != 0)) {
        return kUnavailable;
      }
      AtomicFile file(target, 0600);
      file.write(std::string(3 << 20, 'x'));
      ::kill(::getpid(), SIGKILL);
      return 0;
    });
  };
  EXPECT_EQ(killedWriter(false), -1);
  EXPECT_EQ(entries(dir), std::set<std::string>{"out.json"});
  if (killedWriter(true) == kUnavailable) GTEST_SKIP() << "cannot hide /proc";
  auto left = entries(dir);
  left.erase("out.json");
  ASSERT_EQ(left.size(), 1u);
  ASSERT_TRUE(left.begin()->starts_with(AtomicFile::kTemporaryPrefix));
  age(dir / *left.begin(), 2 * 86400);
  std::ofstream(dir / ".tempyra-fresh1").close();  // perhaps another writer's, still at work
  for (const char* name : {".tempyra-ABCDEFG", "out.tempyra-ABCDEF"}) {
    std::ofstream(dir / name).close();
    age(dir / name, 2 * 86400);
  }
  fs::create_symlink("out.json", dir / ".tempyra-LINKED");
  age(dir / ".tempyra-LINKED", 2 * 86400);

  AtomicFile file(target, 0600);
  EXPECT_FALSE(file.write("new") || file.commit());
  EXPECT_EQ(content(target), "new");
  EXPECT_EQ(entries(dir), (std::set<std::string>{"out.json", ".tempyra-fresh1", ".tempyra-ABCDEFG",
                                                 "out.tempyra-ABCDEF", ".tempyra-LINKED"}));
  fs::remove_all(dir);
}

}  // namespace
}  // namespace tempyra
