#include "ui/shell/tray_item.h"

#include <QCursor>
#include <QFileInfo>
#include <QGuiApplication>
#include <QIcon>
#include <QMenu>
#include <QPixmap>
#include <QScreen>
#include <QSystemTrayIcon>

#include "ui/shell/tray_model.h"
#include "ui/shell/dbus_menu.h"
#include "ui/shell/status_notifier_item.h"
#include "ui/shell/tray_face_painter.h"

namespace tempyra {

namespace {

// How often to look for an XEmbed tray that appears after start (a panel restarted). Cheap:
// one X selection query. StatusNotifier watchers announce themselves on the bus instead.
constexpr int kHostPollMs = 5000;

// Connecting to a session bus that is not configured would make the bus library start one of
// its own, left running after we quit.
std::optional<QDBusConnection> configuredSessionBus() {
  const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
  if (qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS") &&
      (runtime.isEmpty() || !QFileInfo::exists(runtime + QStringLiteral("/bus")))) {
    return std::nullopt;
  }
  return QDBusConnection::sessionBus();
}

QIcon iconOf(const QList<QImage>& images) {
  QIcon icon;
  for (const QImage& image : images) icon.addPixmap(QPixmap::fromImage(image));
  return icon;
}

// A point in device pixels, as a StatusNotifier host reports it, in device-independent pixels.
std::optional<QPoint> fromHostPixels(QPoint at) {
  const std::vector<PlacementScreen> screens = placementScreens();
  const auto found = fromDevicePixels({at.x(), at.y()}, screens);
  if (!found) return std::nullopt;
  return QPoint(found->second.x, found->second.y);
}

}  // namespace

std::vector<PlacementScreen> placementScreens() {
  QList<QScreen*> screens = QGuiApplication::screens();
  if (QScreen* primary = QGuiApplication::primaryScreen()) {
    screens.removeAll(primary);
    screens.prepend(primary);
  }
  std::vector<PlacementScreen> out;
  for (const QScreen* s : screens) {
    const QRect g = s->geometry(), a = s->availableGeometry();
    out.push_back({{g.x(), g.y(), g.width(), g.height()},
                   {a.x(), a.y(), a.width(), a.height()},
                   s->devicePixelRatio()});
  }
  return out;
}

TrayItem::TrayItem(TrayModel& tray, QObject* parent)
    : TrayItem(tray, configuredSessionBus(), parent) {}

TrayItem::TrayItem(TrayModel& tray, std::optional<QDBusConnection> bus, QObject* parent)
    : QObject(parent), tray_(tray) {
  connect(&tray_, &TrayModel::changed, this, &TrayItem::update);
  connect(&hostWatch_, &QTimer::timeout, this, &TrayItem::place);
  if (bus && bus->isConnected()) {
    dbusMenu_ = std::make_unique<DBusMenu>(*bus, tray_);
    sni_ = std::make_unique<StatusNotifierItem>(
        *bus, dbusMenu_->exported() ? DBusMenu::kPath : QString());
    connect(sni_.get(), &StatusNotifierItem::registeredChanged, this, &TrayItem::place);
    connect(sni_.get(), &StatusNotifierItem::activated, this, [this](QPoint at) {
      clickedAt_ = at.isNull() ? std::nullopt : fromHostPixels(at);
      emit clicked();
    });
    connect(sni_.get(), &StatusNotifierItem::contextMenuRequested, this, [this](QPoint at) {
      // Where the compositor places menus (Wayland) the point is only a wish.
      popupMenu(at.isNull() ? QCursor::pos() : fromHostPixels(at).value_or(QCursor::pos()));
    });
  }
  update();
  place();
  started_ = true;
}

TrayItem::~TrayItem() = default;

void TrayItem::place() {
  const bool wasShown = shown_;
  if (sni_ && sni_->registered()) {
    if (xembed_) xembed_->hide();
    shown_ = true;
  } else if (QSystemTrayIcon::isSystemTrayAvailable()) {
    if (!xembed_) {
      xembed_ = std::make_unique<QSystemTrayIcon>();
      connect(xembed_.get(), &QSystemTrayIcon::activated, this,
              [this](QSystemTrayIcon::ActivationReason r) {
                if (r == QSystemTrayIcon::Context) {
                  popupMenu(QCursor::pos());
                } else if (r == QSystemTrayIcon::Trigger || r == QSystemTrayIcon::DoubleClick ||
                           r == QSystemTrayIcon::MiddleClick) {
                  clickedAt_.reset();  // the icon's own geometry tells where it is
                  emit clicked();
                }
              });
      xembed_->setIcon(iconOf(images_));
      xembed_->setToolTip(tray_.tooltip());
    }
    xembed_->show();
    shown_ = true;
  } else {
    if (xembed_) xembed_->hide();
    shown_ = false;
  }
  if (shown_) {
    hostWatch_.stop();
  } else if (!hostWatch_.isActive()) {
    hostWatch_.start(kHostPollMs);
  }
  if (started_ && shown_ && !wasShown) emit hostAppeared();
}

std::optional<QRect> TrayItem::iconGeometry() const {
  if ((sni_ && sni_->registered()) || !xembed_) return std::nullopt;
  const QRect r = xembed_->geometry();
  if (!r.isValid() || r.isEmpty()) return std::nullopt;
  return r;
}

void TrayItem::update() {
  const TrayFace& face = tray_.trayFace();
  if (face_ != face) {
    face_ = face;
    ++drawings_;
    images_.clear();
    for (int size : kTrayIconSizes) images_ << paintTrayFace(face, size);
    if (sni_) sni_->setIcon(images_);
    if (xembed_) xembed_->setIcon(iconOf(images_));
  }
  if (sni_) {
    sni_->setLabel(tray_.trayTitle(), tray_.trayTitleGuide());
    sni_->setToolTip(TrayModel::product(), tray_.trayTitle());
  }
  if (xembed_) xembed_->setToolTip(tray_.tooltip());
  updateMenu();
}

void TrayItem::popupMenu(QPoint at) {
  // Made on the first right-click: a menu nobody opens costs the widgets' styles nothing.
  if (!menu_) {
    menu_ = std::make_unique<QMenu>();
    for (const TrayMenuEntry& entry : tray_.trayMenu()) {
      if (entry.separated) menu_->addSeparator();
      const TrayCommand command = entry.command;
      menu_->addAction(entry.label, this, [this, command] { tray_.run(command); });
    }
  }
  menu_->popup(at);
}

void TrayItem::updateMenu() {
  if (!menu_) return;
  const QList<TrayMenuEntry>& entries = tray_.trayMenu();
  int i = 0;
  for (QAction* action : menu_->actions()) {
    if (action->isSeparator()) continue;
    if (i < entries.size()) action->setText(entries[i++].label);
  }
}

}  // namespace tempyra
