#include "ui/shell/app_shell.h"

#include <QCoreApplication>
#include <QCursor>
#include <QGuiApplication>

#include "app/monitor_services.h"
#include "ui/shell/tray_item.h"
#include "ui/shell/tray_model.h"
#include "ui/shell/windows_process.h"

namespace tempyra {

AppShell::AppShell() {
  monitor_ = std::make_unique<Monitor>(makeSystemServices());
  windows_ = std::make_unique<WindowsProcess>(*monitor_, WindowsProcess::installedProgram(),
                                              WindowsProcess::configuredReleaseDelay());
  monitor_->setFileChooser(windows_->chooser());
  trayModel_ = std::make_unique<TrayModel>(*monitor_);
  tray_ = std::make_unique<TrayItem>(*trayModel_);
  connect(tray_.get(), &TrayItem::clicked, this, &AppShell::togglePopover);
  connect(tray_.get(), &TrayItem::hostAppeared, this, &AppShell::trayAppeared);
  connect(tray_.get(), &TrayItem::menuRequested, windows_.get(), &WindowsProcess::showMenu);
  windows_->setTrayShown(tray_->shown());
  connect(trayModel_.get(), &TrayModel::openDashboardRequested, this, &AppShell::openDashboard);
  connect(trayModel_.get(), &TrayModel::quitRequested, qApp, &QCoreApplication::quit);
  connect(windows_.get(), &WindowsProcess::quitRequested, qApp, &QCoreApplication::quit);
  connect(windows_.get(), &WindowsProcess::popoverRequested, this, &AppShell::togglePopover);
  // The dashboard opens closed: the monitor samples slowly until it is shown.
  monitor_->setDetailVisible(false);
  QGuiApplication::setQuitOnLastWindowClosed(false);
}

AppShell::~AppShell() {
  windows_.reset();
  tray_.reset();
  trayModel_.reset();
  monitor_.reset();
}

void AppShell::start() {
  if (tray_->shown()) return;
  openDashboard();
}

void AppShell::openDashboard() { windows_->openDashboard(); }

void AppShell::trayAppeared() {
  // Only what closing the window means changes (the tray now brings it back); a window the
  // user may be reading or typing in stays open.
  windows_->setTrayShown(true);
}

void AppShell::showPopover(bool toggle) {
  // Against the icon where the tray tells its geometry, else the point the host reported,
  // else the pointer, which has just clicked the icon.
  std::optional<PlacementRect> anchor;
  if (const auto icon = tray_->iconGeometry()) {
    anchor = PlacementRect{icon->x(), icon->y(), icon->width(), icon->height()};
  } else {
    const QPoint at = tray_->clickedAt().value_or(QCursor::pos());
    anchor = PlacementRect{at.x(), at.y(), 0, 0};
  }
  windows_->showPopover(anchor, toggle);
}

}  // namespace tempyra
