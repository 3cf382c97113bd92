#pragma once
// The tray item: a badge in the state's colour with the thermometer or the short value, the
// menu title beside it where the tray host shows text, the title as tooltip, a click that asks
// for the popover and a right-click menu with the popover's commands. It is a
// StatusNotifierItem (its menu drawn by the host) where a watcher with a host runs, an XEmbed
// tray icon where only such a tray exists (its menu shown by the windows process), and hidden
// otherwise, watching for a host.
#include <QDBusConnection>
#include <QImage>
#include <QList>
#include <QObject>
#include <QPoint>
#include <QRect>
#include <QTimer>

#include <memory>
#include <optional>
#include <vector>

#include "ui/logic/popover_placement.h"
#include "ui/logic/tray_face.h"

namespace tempyra {

class DBusMenu;
class TrayModel;
class StatusNotifierItem;
class XEmbedIcon;

// The screens as the placement rule sees them, the primary first.
std::vector<PlacementScreen> placementScreens();

class TrayItem : public QObject {
  Q_OBJECT

 public:
  // Uses the session bus when the session has one; never starts a bus of its own.
  explicit TrayItem(TrayModel& tray, QObject* parent = nullptr);
  // `bus`: where to offer the StatusNotifierItem; none: an XEmbed tray only.
  TrayItem(TrayModel& tray, std::optional<QDBusConnection> bus, QObject* parent = nullptr);
  ~TrayItem() override;

  // True while a tray host shows the item.
  bool shown() const { return shown_; }
  // The XEmbed icon's geometry in device-independent pixels, when the tray tells it.
  std::optional<QRect> iconGeometry() const;
  // Where the host said the last click on the StatusNotifierItem was, in device-independent
  // pixels; none when it could not say.
  std::optional<QPoint> clickedAt() const { return clickedAt_; }
  // How many times the icon has been drawn: once per change of what it shows.
  int drawings() const { return drawings_; }

 signals:
  void clicked();
  // The icon's own menu is asked for at `at` (device-independent pixels): a right click on the
  // XEmbed icon, or a StatusNotifier host without a menu of its own.
  void menuRequested(QPoint at);
  // A tray host appeared after start.
  void hostAppeared();

 private:
  void update();
  // Shows the item where a host is, hides it where none is and then watches for one.
  void place();

  TrayModel& tray_;
  std::unique_ptr<DBusMenu> dbusMenu_;
  std::unique_ptr<StatusNotifierItem> sni_;
  std::unique_ptr<XEmbedIcon> xembed_;
  QTimer hostWatch_;
  std::optional<TrayFace> face_;  // what the current drawings show
  QList<QImage> images_;
  std::optional<QPoint> clickedAt_;
  int drawings_ = 0;
  bool shown_ = false;
  bool started_ = false;
};

}  // namespace tempyra
