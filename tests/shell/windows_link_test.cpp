// The link between the tray process and its windows process: the copied monitor on one side,
// the process that runs it on the other, with stand-in windows programs that crash, leave or
// send commands.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "app/surface_codec.h"
#include "tests/app/fakes.h"
#include "ui/shell/remote_surface.h"
#include "ui/shell/surface_channel.h"
#include "ui/shell/windows_process.h"

namespace tempyra {
namespace {

using testing::Rig;

// Runs the event loop until `done` holds or two seconds pass.
template <class Condition>
bool spinUntil(Condition done) {
  QElapsedTimer timer;
  timer.start();
  while (!done() && timer.elapsed() < 2000) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
  return done();
}

struct Link {
  SocketPair pair = makeSocketPair();
  SurfaceChannel tray{pair.first};
  SurfaceChannel windows{pair.second};
  RemoteSurface surface{windows, std::make_shared<testing::FakeClock>()};
  std::vector<std::string> commands;
  Link() {
    QObject::connect(&windows, &SurfaceChannel::received, [this](auto& kind, auto& text) {
      surface.take(kind, text);
    });
    QObject::connect(&tray, &SurfaceChannel::received, [this](auto&, auto& text) {
      commands.push_back(text.toStdString());
    });
  }
};

TEST(RemoteSurface, ChangesSignalOnceAndAGarbledCopyKeepsTheLast) {
  Link link;
  int changes = 0;
  QObject::connect(&link.surface, &MonitorSurface::liveChanged, [&] { ++changes; });
  LiveFacts facts;
  facts.paused = true;
  for (const std::string& text : {encodeLiveFacts(facts), encodeLiveFacts(facts), std::string("{")}) {
    link.tray.send("live", text);
  }
  link.tray.send("setup", encodeSetupState({}));
  ASSERT_TRUE(spinUntil([&] { return changes == 1; }));
  QCoreApplication::processEvents();
  EXPECT_EQ(changes, 1);
  EXPECT_TRUE(link.surface.live().paused);
  EXPECT_FALSE(link.surface.complete());  // no history or defaults yet
}

TEST(RemoteSurface, PreferencesTakeEffectAtOnceAndTravelAsACommand) {
  Link link;
  Preferences p;
  p.retention = 12;
  link.surface.setPreferences(p);
  EXPECT_EQ(link.surface.setup().preferences, p);
  ASSERT_TRUE(spinUntil([&] { return !link.commands.empty(); }));
  EXPECT_NE(link.commands[0].find("\"setPreferences\""), std::string::npos);
}

// A stand-in windows program: a shell script given its end of the channel as descriptor 3.
QString standIn(const QTemporaryDir& dir, const char* body) {
  const QString path = dir.filePath("windows");
  QFile file(path);
  file.open(QIODevice::WriteOnly);
  file.write(QByteArray("#!/bin/sh\n") + body);
  file.close();
  file.setPermissions(QFile::ReadOwner | QFile::ExeOwner);
  return path;
}

TEST(WindowsProcess, ACrashLeavesNothingShownAndAnswersTheOpenDialogWithNothing) {
  Rig rig;
  auto monitor = rig.start();
  QTemporaryDir dir;
  WindowsProcess windows(*monitor,
                         standIn(dir, "while read -r kind rest <&3; do case $kind in\n"
                                      "dashboard) echo 'shown {\"dashboard\":true}' >&3;;\n"
                                      "choose) exit 1;; esac; done\n"),
                         std::chrono::milliseconds(60000));
  windows.openDashboard();
  ASSERT_TRUE(spinUntil([&] { return windows.dashboardShown(); }));
  const qint64 first = windows.processId();
  std::optional<std::optional<std::filesystem::path>> answer;
  windows.chooser()->chooseFolder("/", [&](auto path) { answer = path; });
  ASSERT_TRUE(spinUntil([&] { return answer.has_value(); }));
  EXPECT_FALSE(answer->has_value());
  EXPECT_FALSE(windows.dashboardShown());
  windows.openDashboard();  // a new windows process
  ASSERT_TRUE(spinUntil([&] { return windows.dashboardShown(); }));
  EXPECT_NE(windows.processId(), first);
}

// A command of the wrong shape is dropped; the next one still arrives.
TEST(WindowsProcess, CommandsReachTheMonitorAndClosedWindowsEndTheProcess) {
  Rig rig;
  auto monitor = rig.start();
  QTemporaryDir dir;
  WindowsProcess windows(*monitor,
                         standIn(dir, "echo 'command {\"name\":\"setLogin\",\"enabled\":\"yes\"}' >&3\n"
                                      "echo 'command {\"name\":\"togglePause\"}' >&3\n"
                                      "echo 'shown {}' >&3\n"
                                      "while read -r kind rest <&3; do\n"
                                      "[ \"$kind\" = exit ] && exit 0; done\n"),
                         std::chrono::milliseconds(20));
  bool released = false;
  QObject::connect(&windows, &WindowsProcess::released, [&] { released = true; });
  windows.start();
  ASSERT_TRUE(spinUntil([&] { return released; }));
  EXPECT_TRUE(monitor->live().paused);
  EXPECT_EQ(windows.processId(), 0);
}

}  // namespace
}  // namespace tempyra
