#include "ui/shell/single_instance.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <map>

namespace tempyra {
namespace {

using Claim = SingleInstance::Claim;
const QString kName = QStringLiteral("com.quorvel.tempyra.test");

SingleInstance::Options lockOnly(const QTemporaryDir& dir, int answerMs = 3000) {
  return {kName, std::nullopt, dir.path(), answerMs, {}};
}

struct Launch {
  SingleInstance instance;
  int activations = 0;
  explicit Launch(SingleInstance::Options o) : instance(std::move(o)) {
    QObject::connect(&instance, &SingleInstance::activated, [this] { ++activations; });
  }
};

// The first instance removes its lock file and socket when it ends; the later one left nothing.
TEST(SingleInstance, AnInstanceThatEndsLeavesNothingBehind) {
  constexpr auto kEverything = QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot;
  QTemporaryDir dir;
  {
    Launch first(lockOnly(dir)), second(lockOnly(dir));
    EXPECT_EQ(first.instance.claim(), Claim::first);
    EXPECT_EQ(second.instance.claim(), Claim::shownOther);
    EXPECT_EQ(QDir(dir.path()).entryList(kEverything).size(), 2);
  }
  EXPECT_TRUE(QDir(dir.path()).isEmpty(kEverything));
}

TEST(SingleInstance, WhatADeadHolderLeftBehindIsTakenOver) {
  QTemporaryDir dir;
  QFile lock(dir.filePath(kName + ".lock"));
  ASSERT_TRUE(lock.open(QIODevice::WriteOnly));
  // A socket file whose server is gone.
  const QByteArray path = QFile::encodeName(dir.filePath(kName + ".socket"));
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::strncpy(address.sun_path, path.constData(), sizeof address.sun_path - 1);
  const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
  ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  ::close(fd);

  Launch first(lockOnly(dir)), second(lockOnly(dir));
  EXPECT_EQ(first.instance.claim(), Claim::first);
  EXPECT_EQ(second.instance.claim(), Claim::shownOther);
  EXPECT_EQ(first.activations, 1);
  EXPECT_EQ(second.activations, 0);
}

TEST(SingleInstance, AHolderThatNeverAnswersIsNotJoined) {
  QTemporaryDir dir;
  const int fd = ::open(QFile::encodeName(dir.filePath(kName + ".lock")).constData(),
                        O_RDWR | O_CREAT, 0600);
  ASSERT_EQ(::flock(fd, LOCK_EX), 0);
  Launch later(lockOnly(dir, 300));
  EXPECT_EQ(later.instance.claim(), Claim::unanswered);
  EXPECT_FALSE(later.instance.problem().isEmpty());
  ::close(fd);
}

TEST(SingleInstance, SessionFolderAndBus) {
  QTemporaryDir temp, runtime;
  const QString fallback = temp.filePath("tempyra-" + QString::number(::getuid()));
  auto options = [&](std::map<std::string, std::string> vars) {
    const Environment env = [vars](const std::string& n) -> std::optional<std::string> {
      const auto it = vars.find(n);
      return it == vars.end() ? std::nullopt : std::optional(it->second);
    };
    return SingleInstance::forSession(kName, env, temp.path());
  };
  const auto set = options({{"XDG_RUNTIME_DIR", runtime.path().toStdString()}});
  EXPECT_EQ(set.folder, runtime.path());
  // No address and no socket in the runtime folder: no bus is asked for (none is autolaunched).
  EXPECT_FALSE(set.bus);

  EXPECT_EQ(options({{"XDG_RUNTIME_DIR", "relative/run"}}).folder, fallback);
  struct stat st {};
  ASSERT_EQ(::stat(QFile::encodeName(fallback).constData(), &st), 0);
  EXPECT_EQ(st.st_mode & 077, 0u);
  // A fallback folder that others may enter, or a link to a folder, is not used: without a lock
  // file the instance says once why and what still guards it.
  ::chmod(QFile::encodeName(fallback).constData(), 0777);
  EXPECT_EQ(options({}).folderProblem, fallback + " is open to other users");
  ::rmdir(QFile::encodeName(fallback).constData());
  ASSERT_EQ(::symlink(QFile::encodeName(runtime.path()).constData(),
                      QFile::encodeName(fallback).constData()),
            0);
  const auto linked = options({});
  EXPECT_TRUE(linked.folder.isEmpty());
  SingleInstance alone(linked);
  EXPECT_EQ(alone.claim(), Claim::first);
  EXPECT_EQ(alone.problem(), "no lock file (" + fallback + " is a symbolic link); nothing keeps "
                             "this one instance");
}

}  // namespace
}  // namespace tempyra
