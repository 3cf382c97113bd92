#include "ui/shell/tray_item.h"

#include <QCursor>
#include <QFileInfo>
#include <QGuiApplication>
#include <QIcon>
#include <QPixmap>
#include <QScreen>

#include "ui/shell/tray_model.h"
#include "ui/shell/dbus_menu.h"
#include "ui/shell/status_notifier_item.h"
#include "ui/shell/tray_face_painter.h"
#include "ui/shell/xembed_icon.h"

namespace tempyra {

namespace {

// How often to look for an XEmbed tray that appears after start or after its panel quit.
// Cheap: one X selection query. StatusNotifier watchers announce themselves on the bus instead.
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
      emit menuRequested(at.isNull() ? QCursor::pos()
                                     : fromHostPixels(at).value_or(QCursor::pos()));
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
  } else if (XEmbedIcon::trayAvailable()) {
    if (!xembed_) {
      xembed_ = std::make_unique<XEmbedIcon>();
      connect(xembed_.get(), &XEmbedIcon::activated, this, [this] {
        clickedAt_.reset();  // the icon's own geometry tells where it is
        emit clicked();
      });
      connect(xembed_.get(), &XEmbedIcon::contextMenuRequested, this, &TrayItem::menuRequested);
      connect(xembed_.get(), &XEmbedIcon::trayLost, this, &TrayItem::place);
      xembed_->setIcon(iconOf(images_));
      xembed_->setToolTip(tray_.tooltip());
    }
    xembed_->show();
    shown_ = xembed_->docked();
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
  const std::optional<QRect> r = xembed_->screenGeometry();
  if (!r || r->isEmpty()) return std::nullopt;
  const auto icon = rectFromDevicePixels(
      PlacementRect{r->x(), r->y(), r->width(), r->height()}, placementScreens());
  if (!icon) return std::nullopt;
  return QRect(icon->x, icon->y, icon->width, icon->height);
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
}

}  // namespace tempyra
