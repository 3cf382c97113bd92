#include "ui/shell/windows_shell.h"

#include <QCursor>
#include <QDateTime>
#include <QFileDialog>
#include <QGuiApplication>
#include <QMenu>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QTimer>

#include <cstdio>
#include <nlohmann/json.hpp>

#include "ui/logic/dashboard_pages.h"
#include "ui/logic/onboarding_flow.h"
#include "ui/models/symbol_images.h"
#include "ui/models/ui_context.h"
#include "ui/shell/file_dialog_chooser.h"
#include "ui/shell/remote_surface.h"
#include "ui/shell/surface_channel.h"
#include "ui/shell/tray_item.h"
#include "ui/shell/tray_model.h"

namespace tempyra {

using nlohmann::json;

namespace {

std::optional<PlacementRect> anchorFrom(const json& message) {
  const auto a = message.find("anchor");
  if (a == message.end() || !a->is_array() || a->size() != 4) return std::nullopt;
  for (const json& n : *a) {
    if (!n.is_number_integer()) return std::nullopt;
  }
  return PlacementRect{(*a)[0].get<int>(), (*a)[1].get<int>(), (*a)[2].get<int>(),
                       (*a)[3].get<int>()};
}

}  // namespace

WindowsShell::WindowsShell(RemoteSurface& surface, SurfaceChannel& channel)
    : surface_(surface),
      channel_(channel),
      reportFrames_(!qEnvironmentVariableIsEmpty("TEMPYRA_BENCH_DASHBOARD")) {
  ui_ = std::make_unique<UiContext>(surface_, LaunchSession::shared());
  UiContext::install(ui_.get());
  chooser_ = std::make_unique<FileDialogChooser>(
      ui_->texts()->exportTitle, ui_->texts()->metricsFolderTitle,
      [this]() -> QWindow* { return dashboard_.data(); });
  connect(ui_->popover(), &PopoverModel::openDetailsRequested, this, &WindowsShell::openDashboard);
  connect(ui_->popover(), &PopoverModel::quitRequested, this, &WindowsShell::quit);
  connect(ui_->dashboard(), &DashboardModel::quitRequested, this, &WindowsShell::quit);
}

WindowsShell::~WindowsShell() {
  menu_.reset();
  delete popover_.data();
  delete dashboard_.data();
  chooser_.reset();
  engine_.reset();
  UiContext::install(nullptr);
  ui_.reset();
}

QWidget* WindowsShell::fileDialog() const { return chooser_->dialog(); }

void WindowsShell::take(const QByteArray& kind, const QByteArray& text) {
  // Our own program at the other end; a message of the wrong shape is dropped, never fatal.
  try {
    carryOut(kind, text);
  } catch (const json::exception& e) {
    std::fprintf(stderr, "Tempyra: a %s message from the monitor could not be read: %s\n",
                 kind.constData(), e.what());
  }
}

void WindowsShell::carryOut(const QByteArray& kind, const QByteArray& text) {
  if (kind == "popover") {
    const json message = json::parse(textOf(text), nullptr, false);
    if (!message.is_object()) return;
    if (popover_ && popover_->isVisible() && !message.value("toggle", true)) return;
    togglePopover(anchorFrom(message));
  } else if (kind == "menu") {
    const json message = json::parse(textOf(text), nullptr, false);
    const json at = message.is_object() ? message.value("at", json()) : json();
    if (at.is_array() && at.size() == 2 && at[0].is_number_integer() && at[1].is_number_integer()) {
      popupMenu(QPoint(at[0].get<int>(), at[1].get<int>()));
    }
  } else if (kind == "closePopover") {
    if (popover_) popover_->close();
  } else if (kind == "dashboard") {
    openDashboard();
  } else if (kind == "closeDashboard") {
    if (dashboard_) dashboard_->close();
  } else if (kind == "tray") {
    ui_->dashboard()->setTrayShown(text == "true");
  } else if (kind == "view") {
    // What the last windows process's dashboard showed, and the sheets it already offered.
    const json v = json::parse(textOf(text), nullptr, false);
    if (!v.is_object()) return;
    ui_->dashboard()->setRangeIndex(v.value("range", 0));
    const int page = v.value("page", 0);
    for (const PageInfo& p : dashboardPages()) {
      if (int(p.page) == page) ui_->dashboard()->selectPage(p.page);
    }
    if (const auto offered = v.find("offered"); offered != v.end() && offered->is_array()) {
      for (const json& name : *offered) {
        if (name.is_string()) LaunchSession::shared().remember(name.get<std::string>());
      }
    }
  } else if (kind == "choose") {
    choose(text);
  }
}

QQuickWindow* WindowsShell::create(const char* url) {
  if (!engine_) {
    engine_ = std::make_unique<QQmlEngine>();
    engine_->addImportPath(QStringLiteral("qrc:/"));
    engine_->addImageProvider(QStringLiteral("symbol"), new SymbolImageProvider);
  }
  QQmlComponent component(engine_.get(), QUrl(QString::fromLatin1(url)));
  QObject* object = component.create();
  auto* window = qobject_cast<QQuickWindow*>(object);
  if (!window) {
    std::fprintf(stderr, "Tempyra: %s could not be created: %s\n", url,
                 qPrintable(component.isError() ? component.errorString()
                                                : QStringLiteral("not a window")));
    delete object;
    return nullptr;
  }
  connect(window, &QWindow::visibleChanged, this, &WindowsShell::reportShown);
  return window;
}

void WindowsShell::openDashboard() {
  if (popover_) popover_->close();
  if (!dashboard_) {
    // The content is built from the model's first view, so the model starts before the window.
    ui_->dashboard()->setActive(true);
    dashboard_ = create("qrc:/Tempyra/Ui/DashboardWindow.qml");
    if (!dashboard_) {
      ui_->dashboard()->setActive(false);
      return;
    }
    connect(dashboard_, &QWindow::visibleChanged, this, [this](bool visible) {
      surface_.setDetailVisible(visible);
      if (!visible) QTimer::singleShot(0, this, &WindowsShell::dashboardClosed);
    });
  }
  if (reportFrames_ && !dashboard_->isVisible()) reportFirstFrame(dashboard_, "dashboard first frame");
  dashboard_->show();
  dashboard_->raise();
  dashboard_->requestActivate();
  surface_.setDetailVisible(true);
}

void WindowsShell::dashboardClosed() {
  if (!dashboard_ || dashboard_->isVisible()) return;
  // Monitoring goes on. The closed window's items, charts and textures go now.
  dashboard_->deleteLater();
  dashboard_ = nullptr;
  reportShown();
}

bool WindowsShell::onWayland() {
  return QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

void WindowsShell::placePopover(std::optional<PlacementRect> anchor) {
  const std::vector<PlacementScreen> screens = placementScreens();
  if (screens.empty()) return;
  if (!anchor) {
    const QPoint at = QCursor::pos();
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

void WindowsShell::togglePopover(std::optional<PlacementRect> anchor) {
  if (popover_ && popover_->isVisible()) {
    popover_->close();
    return;
  }
  if (!popover_) {
    popover_ = create("qrc:/Tempyra/Ui/PopoverWindow.qml");
    if (!popover_) return;
  }
  // The content settles its height after the first layout: a popover above a bottom panel
  // keeps its bottom edge off the panel.
  disconnect(popover_, &QWindow::heightChanged, this, nullptr);
  connect(popover_, &QWindow::heightChanged, this, [this, anchor] {
    if (popover_->isVisible() && !onWayland()) placePopover(anchor);
  });
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
    placePopover(anchor);
  }
  if (reportFrames_) reportFirstFrame(popover_, "popover first frame");
  popover_->show();
  popover_->raise();
  popover_->requestActivate();
}

void WindowsShell::popupMenu(QPoint at) {
  if (!menu_) {
    trayModel_ = std::make_unique<TrayModel>(surface_);
    connect(trayModel_.get(), &TrayModel::openDashboardRequested, this,
            &WindowsShell::openDashboard);
    connect(trayModel_.get(), &TrayModel::quitRequested, this, &WindowsShell::quit);
    menu_ = std::make_unique<QMenu>();
    for (const TrayMenuEntry& entry : trayModel_->trayMenu()) {
      if (entry.separated) menu_->addSeparator();
      const TrayCommand command = entry.command;
      menu_->addAction(entry.label, this, [this, command] { trayModel_->run(command); });
    }
    // The labels follow the monitor (Pause or Resume) while the menu lives.
    connect(trayModel_.get(), &TrayModel::changed, this, [this] {
      const QList<TrayMenuEntry>& entries = trayModel_->trayMenu();
      qsizetype i = 0;
      for (QAction* action : menu_->actions()) {
        if (!action->isSeparator() && i < entries.size()) action->setText(entries[i++].label);
      }
    });
    // Told after the chosen entry has run: the tray process may then let this process go.
    connect(menu_.get(), &QMenu::aboutToHide, this,
            [this] { QTimer::singleShot(0, this, &WindowsShell::reportShown); });
  }
  if (popover_) popover_->close();
  menu_->popup(at);
  reportShown();
}

void WindowsShell::requestPopover() { channel_.send("popover"); }

void WindowsShell::quit() {
  channel_.send("quit");
  channel_.flush();
}

void WindowsShell::choose(const QByteArray& request) {
  const json r = json::parse(textOf(request), nullptr, false);
  if (!r.is_object() || !r.contains("id")) return;
  const long long id = r.value("id", 0LL);
  auto answer = [this, id](std::optional<std::filesystem::path> path) {
    dialogOpen_ = false;
    channel_.send("chosen", json{{"id", id}, {"path", path ? json(path->string()) : json()}}.dump());
    reportShown();
  };
  dialogOpen_ = true;
  reportShown();
  if (r.value("kind", "") == "folder") {
    chooser_->chooseFolder(r.value("current", ""), answer);
  } else {
    chooser_->chooseSaveFile(r.value("name", ""), r.value("type", ""), answer);
  }
}

void WindowsShell::reportShown() {
  json offered = json::array();
  for (const std::string& name : LaunchSession::shared().offered()) offered.push_back(name);
  const json shown{{"popover", popover_ && popover_->isVisible()},
                   {"dashboard", dashboard_ && dashboard_->isVisible()},
                   {"dialog", dialogOpen_},
                   {"menu", menu_ && menu_->isVisible()},
                   {"view",
                    {{"page", int(ui_->dashboard()->page())},
                     {"range", ui_->dashboard()->rangeIndex()},
                     {"offered", offered}}}};
  QByteArray text = QByteArray::fromStdString(shown.dump());
  if (text == reported_) return;
  reported_ = text;
  channel_.send("shown", textOf(text));
}

void WindowsShell::reportFirstFrame(QQuickWindow* window, const char* what) {
  connect(
      window, &QQuickWindow::frameSwapped, this,
      [what] {
        std::printf("tempyra-bench: %s at %lld\n", what, QDateTime::currentMSecsSinceEpoch());
        std::fflush(stdout);
      },
      Qt::SingleShotConnection);
}

}  // namespace tempyra
