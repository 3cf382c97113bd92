#include "ui/shell/app_shell.h"

#include <QApplication>
#include <QFileDialog>
#include <QGuiApplication>
#include <QQmlComponent>
#include <QScreen>
#include <QTimer>

#include <malloc.h>

#include <cstdio>

#include "app/monitor_services.h"
#include "ui/logic/onboarding_flow.h"
#include "ui/logic/popover_placement.h"
#include "ui/models/symbol_images.h"
#include "ui/models/ui_context.h"
#include "ui/shell/file_dialog_chooser.h"
#include "ui/shell/monitor_adapter.h"
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
  engine_ = std::make_unique<QQmlEngine>();
  engine_->addImportPath(QStringLiteral("qrc:/"));
  engine_->addImageProvider(QStringLiteral("symbol"), new SymbolImageProvider);
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
  engine_.reset();
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
    QQmlComponent component(engine_.get(), QUrl(QStringLiteral("qrc:/Tempyra/Ui/DashboardWindow.qml")));
    QObject* object = component.create();
    auto* window = qobject_cast<QQuickWindow*>(object);
    if (!window) {
      ui_->dashboard()->setActive(false);
      std::fprintf(stderr, "Tempyra: the dashboard could not be created: %s\n",
                   qPrintable(component.errorString()));
      delete object;
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
  // Monitoring goes on. Release what the closed window held: its items, charts, textures and
  // cached components.
  dashboard_->deleteLater();
  dashboard_ = nullptr;
  QTimer::singleShot(0, this, [this] {
    engine_->collectGarbage();
    engine_->trimComponentCache();
    QTimer::singleShot(0, this, [] {
      // The heap keeps freed pages otherwise; hand them back so a closed window costs nothing.
      malloc_trim(0);
    });
  });
}

void AppShell::togglePopover() {
  if (popover_ && popover_->isVisible()) {
    popover_->close();
    return;
  }
  if (!popover_) {
    QQmlComponent component(engine_.get(), QUrl(QStringLiteral("qrc:/Tempyra/Ui/PopoverWindow.qml")));
    popover_ = qobject_cast<QQuickWindow*>(component.create());
    if (!popover_) {
      std::fprintf(stderr, "Tempyra: the popover could not be created: %s\n",
                   qPrintable(component.errorString()));
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
