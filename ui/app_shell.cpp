#include "ui/app_shell.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QGuiApplication>
#include <QQmlComponent>
#include <QQuickItem>
#include <QScreen>
#include <QTimer>

#include <malloc.h>

#include <cstdio>
#include <functional>
#include <vector>

#include "app/monitor_services.h"
#include "ui/monitor_adapter.h"
#include "ui/onboarding_flow.h"
#include "ui/popover_placement.h"
#include "ui/qml_file_chooser.h"
#include "ui/symbol_images.h"
#include "ui/tray_item.h"
#include "ui/ui_context.h"

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
  monitor_->setFileChooser(std::make_shared<QmlFileChooser>(
      *engine_, [this]() -> QWindow* { return dashboard_.data(); }));
  tray_ = std::make_unique<TrayItem>(*ui_->popover(), *ui_->theme());
  connect(tray_.get(), &TrayItem::clicked, this, &AppShell::togglePopover);
  connect(ui_->popover(), &PopoverModel::openDetailsRequested, this, &AppShell::openDashboard);
  connect(ui_->popover(), &PopoverModel::quitRequested, qApp, &QCoreApplication::quit);
  // The dashboard opens closed: the monitor samples slowly until it is shown.
  monitor_->setDetailVisible(false);
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
  // Closing the last window does not end the application while the tray item can reopen it.
  QGuiApplication::setQuitOnLastWindowClosed(false);
  const QString shots = qEnvironmentVariable("TEMPYRA_SCREENSHOTS");
  if (!shots.isEmpty()) {
    QTimer::singleShot(1500, this, [this, shots] { captureScreens(shots); });
    return;
  }
  // The memory benchmark opens and closes the dashboard by creating and removing a file;
  // watched through inotify, so the idle measurement sees no polling.
  const QString benchControl = qEnvironmentVariable("TEMPYRA_BENCH_DASHBOARD");
  if (!benchControl.isEmpty()) {
    auto* watcher = new QFileSystemWatcher(this);
    watcher->addPath(QFileInfo(benchControl).absolutePath());
    connect(watcher, &QFileSystemWatcher::directoryChanged, this, [this, benchControl] {
      const bool wanted = QFileInfo::exists(benchControl);
      if (wanted && !dashboard_) openDashboard();
      if (!wanted && dashboard_) dashboard_->close();
    });
    return;
  }
  // Without a tray host nothing else could reopen the window: show it now.
  if (!tray_->shown()) openDashboard();
}

void AppShell::openDashboard() {
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
  // Release what the closed window held: its items, charts, textures and cached components.
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
  if (!tray_->shown()) QCoreApplication::quit();
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

void AppShell::captureScreens(const QString& folder) {
  QDir().mkpath(folder);
  struct Step {
    int delayMs;
    std::function<void()> act;
  };
  auto grab = [this](QQuickWindow* window, const QString& file) {
    if (!window) return;
    const QImage image = window->grabWindow();
    if (!image.save(file)) std::fprintf(stderr, "Tempyra: could not write %s\n", qPrintable(file));
  };
  auto steps = std::make_shared<std::vector<Step>>();
  for (const QString& scheme : {QStringLiteral("Light"), QStringLiteral("Dark")}) {
    steps->push_back({300, [this, scheme] { ui_->theme()->setAppearance(scheme); }});
    steps->push_back({300, [this] { togglePopover(); }});
    steps->push_back({900, [this, grab, folder, scheme] {
                        popover_->setFlag(Qt::Popup, false);
                        grab(popover_, folder + "/popover-" + scheme.toLower() + ".png");
                        popover_->close();
                      }});
    steps->push_back({300, [this] { openDashboard(); }});
    if (scheme == QLatin1String("Light")) {
      steps->push_back({1200, [this, grab, folder] {
                          grab(dashboard_, folder + "/welcome-light.png");
                          ui_->onboarding()->finishWelcome();
                        }});
      steps->push_back({800, [this, grab, folder] {
                          grab(dashboard_, folder + "/walkthrough-light.png");
                          ui_->onboarding()->closeTour();
                        }});
    }
    for (const char* page : {"Overview", "Thermal Intelligence", "History", "Activity",
                             "Sensors", "Settings", "About"}) {
      const QString name = QString::fromLatin1(page);
      steps->push_back({900, [this, name] { ui_->dashboard()->selectPage(name); }});
      steps->push_back({1500, [grab, this, folder, scheme, name] {
                          QString file = name.toLower();
                          file.replace(QLatin1Char(' '), QLatin1Char('-'));
                          grab(dashboard_, folder + "/" + file + "-" + scheme.toLower() + ".png");
                          // Long pages: scroll to the end for a second picture.
                          auto* scroll = dashboard_->findChild<QQuickItem*>("pageScroll");
                          auto* flick = scroll ? scroll->property("contentItem").value<QQuickItem*>() : nullptr;
                          if (!flick) return;
                          const double overflow = flick->property("contentHeight").toDouble() - flick->height();
                          if (overflow <= 0) return;
                          flick->setProperty("contentY", overflow);
                          QTimer::singleShot(300, this, [grab, this, folder, scheme, file, flick] {
                            grab(dashboard_, folder + "/" + file + "-end-" + scheme.toLower() + ".png");
                            flick->setProperty("contentY", 0);
                          });
                        }});
    }
  }
  steps->push_back({200, [this] {
                      ui_->theme()->setAppearance(QStringLiteral("System"));
                      std::printf("%s\n", "Tempyra: screenshots written");
                      std::fflush(stdout);
                      QCoreApplication::quit();
                    }});
  auto run = std::make_shared<std::function<void(std::size_t)>>();
  *run = [this, steps, run](std::size_t i) {
    if (i >= steps->size()) return;
    QTimer::singleShot((*steps)[i].delayMs, this, [steps, run, i] {
      (*steps)[i].act();
      (*run)(i + 1);
    });
  };
  (*run)(0);
}

}  // namespace tempyra
