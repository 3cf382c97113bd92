#include "ui/shell/tray_item.h"

#include <QIcon>
#include <QPixmap>

#include "ui/models/popover_model.h"
#include "ui/models/symbol_images.h"
#include "ui/models/theme.h"

namespace tempyra {

namespace {
// How often to look for a tray host that appears after start (a panel restarted, an extension
// enabled). Cheap: one X selection query.
constexpr int kHostPollMs = 5000;
}  // namespace

TrayItem::TrayItem(PopoverModel& popover, Theme& theme, QObject* parent)
    : QObject(parent), popover_(popover), theme_(theme) {
  connect(&popover_, &PopoverModel::changed, this, &TrayItem::update);
  connect(&theme_, &Theme::changed, this, &TrayItem::update);
  connect(&icon_, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason r) {
    if (r == QSystemTrayIcon::Trigger || r == QSystemTrayIcon::DoubleClick ||
        r == QSystemTrayIcon::MiddleClick) {
      emit clicked();
    }
  });
  update();
  if (QSystemTrayIcon::isSystemTrayAvailable()) {
    icon_.show();
  } else {
    connect(&hostWatch_, &QTimer::timeout, this, &TrayItem::poll);
    hostWatch_.start(kHostPollMs);
  }
}

void TrayItem::poll() {
  if (!QSystemTrayIcon::isSystemTrayAvailable()) return;
  hostWatch_.stop();
  icon_.show();
  emit hostAppeared();
}

std::optional<QRect> TrayItem::geometry() const {
  const QRect r = icon_.geometry();
  if (!r.isValid() || r.isEmpty()) return std::nullopt;
  return r;
}

void TrayItem::update() {
  const QString name = popover_.trayIcon();
  // Panels are mostly dark; follow the chosen scheme for the glyph's colour.
  const bool dark = theme_.dark();
  if (name != iconName_ || dark != dark_) {
    iconName_ = name;
    dark_ = dark;
    QIcon icon;
    const QColor colour = dark ? QColor(0xf2, 0xf2, 0xf7) : QColor(0x1c, 0x1c, 0x1e);
    for (int size : {16, 22, 24, 32, 48, 64}) {
      icon.addPixmap(QPixmap::fromImage(renderSymbol(name, colour, QSize(size, size))));
    }
    icon_.setIcon(icon);
  }
  icon_.setToolTip(popover_.tooltip());
}

}  // namespace tempyra
