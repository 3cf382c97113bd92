#include "ui/shell/app_shell.h"

#include <QApplication>
#include <QFileDialog>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>

#include <cstdio>

#include "app/monitor_services.h"
#include "ui/logic/onboarding_flow.h"
#include "ui/logic/popover_placement.h"
#include "ui/models/ui_context.h"
#include "ui/shell/file_dialog_chooser.h"
#include "ui/shell/monitor_adapter.h"
#include "ui/shell/qml_windows.h"
#include "ui/shell/tray_item.h"

namespace tempyra {

AppShell::AppShell() {
  MonitorServices services = makeSystemServices();
  const bool demo = services.info->boolean(kDemoDataKey).value_or(false);
  auto clock = services.clock;
  monitor_ = std::make_unique<Monitor>(std::move(services));
  port_ = std::make_unique<MonitorAdapter>(*monitor_, clock, demo);
  ui_ = std::make_unique<UiContext>(*port_, LaunchSession::shared());
  UiContext::install(ui_.get());
  qml_ = std::make_unique<QmlWindows>(QmlWindows::configuredReleaseDelay());
  chooser_ = std::make_shared<FileDialogChooser>(
      ui_->texts()->exportTitle, ui_->texts()->metricsFolderTitle,
      [this]() -> QWindow* { return dashboard_.data(); });
  monitor_->setFileChooser(chooser_);
  tray_ = std::make_unique<TrayItem>(*ui_->popover());
  connect(tray_.get(), &TrayItem::clicked, this, &AppShell::togglePopover);
  connect(tray_.get(), &TrayItem::hostAppeared, this, &AppShell::trayAppeared);
  ui_->dashboard()->setTrayShown(tray_->shown());
  connect(ui_->popover(), &PopoverModel::openDetailsRequested, this, &AppShell::openDashboard);
  connect(ui_->popover(), &PopoverModel::quitRequested, qApp, &QCoreApplication::quit);
  connect(ui_->dashboard(), &DashboardModel::quitRequested, qApp, &QCoreApplication::quit);
  // The dashboard opens closed: the monitor samples slowly until it is shown.
  monitor_->setDetailVisible(false);
  QGuiApplication::setQuitOnLastWindowClosed(false);
}

AppShell::~AppShell() {
  delete popover_.data();
  delete dashboard_.data();
  tray_.reset();
  qml_.reset();
  UiContext::install(nullptr);
  ui_.reset();
  port_.reset();
  monitor_.reset();
}

void AppShell::start() {
  if (tray_->shown()) return;
  showDashboard();
  openForLackOfTray_ = dashboard_ != nullptr;
}

void AppShell::openDashboard() {
  openForLackOfTray_ = false;
  showDashboard();
}

QWidget* AppShell::exportDialog() const { return chooser_->dialog(); }

void AppShell::trayAppeared() {
  ui_->dashboard()->setTrayShown(true);
  // A window the user is saving from stays.
  if (!openForLackOfTray_ || !dashboard_ || chooser_->dialog()) return;
  openForLackOfTray_ = false;
  dashboard_->close();
}

void AppShell::showDashboard() {
  if (popover_) popover_->close();
  if (!dashboard_) {
    // The content is built from the model's first view, so the model starts before the window.
    ui_->dashboard()->setActive(true);
    QString error;
    QQuickWindow* window =
        qml_->create(QUrl(QStringLiteral("qrc:/Tempyra/Ui/DashboardWindow.qml")), error);
    if (!window) {
      ui_->dashboard()->setActive(false);
      std::fprintf(stderr, "Tempyra: the dashboard could not be created: %s\n",
                   qPrintable(error));
      return;
    }
    dashboard_ = window;
    connect(window, &QWindow::visibleChanged, this, [this](bool visible) {
      monitor_->setDetailVisible(visible);
      if (!visible) QTimer::singleShot(0, this, &AppShell::dashboardClosed);
    });
  }
  dashboard_->show();
  dashboard_->raise();
  dashboard_->requestActivate();
  monitor_->setDetailVisible(true);
}

void AppShell::dashboardClosed() {
  if (!dashboard_ || dashboard_->isVisible()) return;
  openForLackOfTray_ = false;
  // Monitoring goes on. The closed window's items, charts and textures go now, the engine
  // once the popover is closed too.
  dashboard_->deleteLater();
  dashboard_ = nullptr;
}

void AppShell::togglePopover() {
  if (popover_ && popover_->isVisible()) {
    popover_->close();
    return;
  }
  if (!popover_) {
    QString error;
    popover_ = qml_->create(QUrl(QStringLiteral("qrc:/Tempyra/Ui/PopoverWindow.qml")), error);
    if (!popover_) {
      std::fprintf(stderr, "Tempyra: the popover could not be created: %s\n", qPrintable(error));
      return;
    }
  }
  ui_->popover()->refresh();
  const auto icon = tray_->geometry();
  QScreen* screen = icon ? QGuiApplication::screenAt(icon->center()) : nullptr;
  if (!screen) screen = QGuiApplication::primaryScreen();
  const QRect area = screen ? screen->availableGeometry() : QRect(0, 0, 1280, 800);
  std::optional<PlacementRect> iconRect;
  if (icon) iconRect = PlacementRect{icon->x(), icon->y(), icon->width(), icon->height()};
  const PlacementPoint p = placePopover(iconRect, {area.x(), area.y(), area.width(), area.height()},
                                        popover_->width(), popover_->height());
  popover_->setPosition(p.x, p.y);
  popover_->show();
  popover_->raise();
  popover_->requestActivate();
}

}  // namespace tempyra
