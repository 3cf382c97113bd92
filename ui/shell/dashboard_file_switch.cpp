#include "ui/shell/dashboard_file_switch.h"

#include <QFileInfo>
#include <QQuickWindow>

#include "ui/shell/app_shell.h"

namespace tempyra {

DashboardFileSwitch::DashboardFileSwitch(AppShell& shell, QString file, QObject* parent)
    : QObject(parent), shell_(shell), file_(std::move(file)) {
  watcher_.addPath(QFileInfo(file_).absolutePath());
  connect(&watcher_, &QFileSystemWatcher::directoryChanged, this, [this] {
    const bool wanted = QFileInfo::exists(file_);
    QQuickWindow* open = shell_.dashboardWindow();
    if (wanted && !open) shell_.openDashboard();
    if (!wanted && open) open->close();
  });
}

}  // namespace tempyra
