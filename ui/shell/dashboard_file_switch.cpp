#include "ui/shell/dashboard_file_switch.h"

#include <QDateTime>
#include <QFileInfo>

#include <cstdio>

#include "ui/shell/app_shell.h"
#include "ui/shell/windows_process.h"

namespace tempyra {

DashboardFileSwitch::DashboardFileSwitch(AppShell& shell, QString file, QObject* parent)
    : QObject(parent),
      shell_(shell),
      file_(std::move(file)),
      popoverFile_(qEnvironmentVariable("TEMPYRA_BENCH_POPOVER")) {
  watcher_.addPath(QFileInfo(file_).absolutePath());
  if (!popoverFile_.isEmpty()) watcher_.addPath(QFileInfo(popoverFile_).absolutePath());
  connect(&watcher_, &QFileSystemWatcher::directoryChanged, this, &DashboardFileSwitch::follow);
  connect(&shell_.windows(), &WindowsProcess::released, this, [] {
    std::printf("tempyra-bench: interface released at %lld\n",
                QDateTime::currentMSecsSinceEpoch());
    std::fflush(stdout);
  });
  // What the windows process shows changes the switches' meaning: follow again.
  connect(&shell_.windows(), &WindowsProcess::windowsChanged, this, &DashboardFileSwitch::follow);
  // A file made before the watch began counts too.
  follow();
}

void DashboardFileSwitch::follow() {
  WindowsProcess& windows = shell_.windows();
  const bool wanted = QFileInfo::exists(file_);
  if (wanted && !windows.dashboardShown()) shell_.openDashboard();
  if (!wanted && windows.dashboardShown()) windows.closeDashboard();
  if (popoverFile_.isEmpty()) return;
  const bool popoverWanted = QFileInfo::exists(popoverFile_);
  if (popoverWanted && !windows.popoverShown()) shell_.showPopover(false);
  if (!popoverWanted && windows.popoverShown()) windows.closePopover();
}

}  // namespace tempyra
