#include "ui/shell/tray_item.h"

#include <QFileInfo>
#include <QIcon>
#include <QPixmap>
#include <QSystemTrayIcon>

#include "ui/models/popover_model.h"
#include "ui/shell/status_notifier_item.h"
#include "ui/shell/tray_face_painter.h"

namespace tempyra {

namespace {

// How often to look for an XEmbed tray that appears after start (a panel restarted). Cheap:
// one X selection query. StatusNotifier watchers announce themselves on the bus instead.
constexpr int kHostPollMs = 5000;
// The area around a reported click that the popover is placed against.
constexpr int kClickArea = 24;

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

}  // namespace

TrayItem::TrayItem(PopoverModel& popover, QObject* parent)
    : TrayItem(popover, configuredSessionBus(), parent) {}

TrayItem::TrayItem(PopoverModel& popover, std::optional<QDBusConnection> bus, QObject* parent)
    : QObject(parent), popover_(popover) {
  connect(&popover_, &PopoverModel::changed, this, &TrayItem::update);
  connect(&hostWatch_, &QTimer::timeout, this, &TrayItem::place);
  if (bus && bus->isConnected()) {
    sni_ = std::make_unique<StatusNotifierItem>(*bus);
    connect(sni_.get(), &StatusNotifierItem::registeredChanged, this, &TrayItem::place);
    connect(sni_.get(), &StatusNotifierItem::activated, this, [this](QPoint at) {
      clickedAt_.reset();
      if (!at.isNull()) {
        clickedAt_ = QRect(at.x() - kClickArea / 2, at.y() - kClickArea / 2, kClickArea,
                           kClickArea);
      }
      emit clicked();
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
                if (r == QSystemTrayIcon::Trigger || r == QSystemTrayIcon::DoubleClick ||
                    r == QSystemTrayIcon::MiddleClick || r == QSystemTrayIcon::Context) {
                  emit clicked();
                }
              });
      xembed_->setIcon(iconOf(images_));
      xembed_->setToolTip(popover_.tooltip());
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

std::optional<QRect> TrayItem::geometry() const {
  if (sni_ && sni_->registered()) return clickedAt_;
  if (!xembed_) return std::nullopt;
  const QRect r = xembed_->geometry();
  if (!r.isValid() || r.isEmpty()) return std::nullopt;
  return r;
}

void TrayItem::update() {
  const TrayFace& face = popover_.trayFace();
  if (face_ != face) {
    face_ = face;
    ++drawings_;
    images_.clear();
    for (int size : kTrayIconSizes) images_ << paintTrayFace(face, size);
    if (sni_) sni_->setIcon(images_);
    if (xembed_) xembed_->setIcon(iconOf(images_));
  }
  if (sni_) {
    sni_->setLabel(popover_.trayTitle(), popover_.trayTitleGuide());
    sni_->setToolTip(QStringLiteral("Tempyra"), popover_.trayTitle());
  }
  if (xembed_) xembed_->setToolTip(popover_.tooltip());
}

}  // namespace tempyra
