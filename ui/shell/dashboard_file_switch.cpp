#include "ui/shell/dashboard_file_switch.h"

#include <QDateTime>
#include <QFileInfo>
#include <QQuickWindow>

#include <cstdio>

#include "ui/shell/app_shell.h"
#include "ui/shell/qml_windows.h"

namespace tempyra {

namespace {

void say(const char* what) {
  std::printf("tempyra-bench: %s at %lld\n", what, QDateTime::currentMSecsSinceEpoch());
  std::fflush(stdout);
}

}  // namespace

DashboardFileSwitch::DashboardFileSwitch(AppShell& shell, QString file, QObject* parent)
    : QObject(parent),
      shell_(shell),
      file_(std::move(file)),
      popoverFile_(qEnvironmentVariable("TEMPYRA_BENCH_POPOVER")) {
  watcher_.addPath(QFileInfo(file_).absolutePath());
  if (!popoverFile_.isEmpty()) watcher_.addPath(QFileInfo(popoverFile_).absolutePath());
  connect(&watcher_, &QFileSystemWatcher::directoryChanged, this, &DashboardFileSwitch::follow);
  connect(&shell_.qmlWindows(), &QmlWindows::released, this, [] { say("interface released"); });
  // A file made before the watch began counts too.
  follow();
}

void DashboardFileSwitch::follow() {
  const bool wanted = QFileInfo::exists(file_);
  QQuickWindow* open = shell_.dashboardWindow();
  if (wanted && !open) {
    shell_.openDashboard();
    reportFirstFrame(shell_.dashboardWindow(), "dashboard first frame");
  }
  if (!wanted && open) open->close();
  if (popoverFile_.isEmpty()) return;
  const bool popoverWanted = QFileInfo::exists(popoverFile_);
  QQuickWindow* popover = shell_.popoverWindow();
  const bool popoverOpen = popover && popover->isVisible();
  if (popoverWanted && !popoverOpen) {
    shell_.togglePopover();
    reportFirstFrame(shell_.popoverWindow(), "popover first frame");
  }
  if (!popoverWanted && popoverOpen) popover->close();
}

void DashboardFileSwitch::reportFirstFrame(QQuickWindow* window, const char* what) {
  if (!window) return;
  connect(window, &QQuickWindow::frameSwapped, this, [what] { say(what); },
          Qt::SingleShotConnection);
}

}  // namespace tempyra
