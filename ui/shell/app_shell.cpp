#include "ui/shell/app_shell.h"

#include <QApplication>
#include <QCursor>
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
#include "ui/shell/qml_windows.h"
#include "ui/shell/tray_item.h"
#include "ui/shell/tray_model.h"

namespace tempyra {

AppShell::AppShell() {
  monitor_ = std::make_unique<Monitor>(makeSystemServices());
  ui_ = std::make_unique<UiContext>(*monitor_, LaunchSession::shared());
  UiContext::install(ui_.get());
  qml_ = std::make_unique<QmlWindows>(QmlWindows::configuredReleaseDelay());
  chooser_ = std::make_shared<FileDialogChooser>(
      ui_->texts()->exportTitle, ui_->texts()->metricsFolderTitle,
      [this]() -> QWindow* { return dashboard_.data(); });
  monitor_->setFileChooser(chooser_);
  trayModel_ = std::make_unique<TrayModel>(*monitor_);
  connect(trayModel_.get(), &TrayModel::openDashboardRequested, this, &AppShell::openDashboard);
  connect(trayModel_.get(), &TrayModel::quitRequested, qApp, &QCoreApplication::quit);
  tray_ = std::make_unique<TrayItem>(*trayModel_);
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
  trayModel_.reset();
  qml_.reset();
  UiContext::install(nullptr);
  ui_.reset();
  monitor_.reset();
}

void AppShell::start() {
  if (tray_->shown()) return;
  showDashboard();
}

void AppShell::openDashboard() { showDashboard(); }

QWidget* AppShell::exportDialog() const { return chooser_->dialog(); }

void AppShell::trayAppeared() {
  // Only what closing the window means changes (the tray now brings it back); a window the
  // user may be reading or typing in stays open.
  ui_->dashboard()->setTrayShown(true);
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
  // Monitoring goes on. The closed window's items, charts and textures go now, the engine
  // once the popover is closed too.
  dashboard_->deleteLater();
  dashboard_ = nullptr;
}

bool AppShell::onWayland() {
  return QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

void AppShell::placePopover() {
  const std::vector<PlacementScreen> screens = placementScreens();
  if (screens.empty()) return;
  // Against the icon where the tray tells its geometry, else the point the host reported,
  // else the pointer, which has just clicked the icon.
  std::optional<PlacementRect> anchor;
  if (const auto icon = tray_->iconGeometry()) {
    anchor = PlacementRect{icon->x(), icon->y(), icon->width(), icon->height()};
  } else {
    const QPoint at = tray_->clickedAt().value_or(QCursor::pos());
    anchor = PlacementRect{at.x(), at.y(), 0, 0};
  }
  const PlacementPoint c{anchor->x + anchor->width / 2, anchor->y + anchor->height / 2};
  const PlacementScreen* screen = &screens.front();
  for (const PlacementScreen& s : screens) {
    const PlacementRect& g = s.geometry;
    if (c.x >= g.x && c.x < g.right() && c.y >= g.y && c.y < g.bottom()) screen = &s;
  }
  const PlacementPoint p =
      tempyra::placePopover(anchor, *screen, popover_->width(), popover_->height());
  popover_->setPosition(p.x, p.y);
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
    // The content settles its height after the first layout: a popover above a bottom panel
    // keeps its bottom edge off the panel.
    connect(popover_, &QWindow::heightChanged, this, [this] {
      if (popover_->isVisible() && !onWayland()) placePopover();
    });
  }
  ui_->popover()->refresh();
  if (onWayland()) {
    // A Wayland client cannot place its windows, nor grab the pointer without a parent surface
    // of its own, so the popover comes as an ordinary small window wherever the compositor puts
    // it, and closes like the popup when it loses focus. It rather than the dashboard: a click
    // on the tray asks for a glance at the state, and the popover answers that at once and
    // leads to the dashboard with Open Details.
    popover_->setFlags(Qt::Window);
    popover_->setTitle(ui_->texts()->product);
  } else {
    placePopover();
  }
  popover_->show();
  popover_->raise();
  popover_->requestActivate();
}

}  // namespace tempyra
