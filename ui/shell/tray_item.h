#pragma once
// The tray item: a badge in the state's colour with the thermometer or the short value, the
// menu title beside it where the tray host shows text, the title as tooltip, and a click that
// asks for the popover. It is a StatusNotifierItem where a watcher with a host runs, an XEmbed
// tray icon where only such a tray exists, and hidden otherwise, watching for a host.
#include <QDBusConnection>
#include <QImage>
#include <QList>
#include <QObject>
#include <QRect>
#include <QTimer>

#include <memory>
#include <optional>

#include "ui/logic/tray_face.h"

class QSystemTrayIcon;

namespace tempyra {

class PopoverModel;
class StatusNotifierItem;

class TrayItem : public QObject {
  Q_OBJECT

 public:
  // Uses the session bus when the session has one; never starts a bus of its own.
  explicit TrayItem(PopoverModel& popover, QObject* parent = nullptr);
  // `bus`: where to offer the StatusNotifierItem; none: an XEmbed tray only.
  TrayItem(PopoverModel& popover, std::optional<QDBusConnection> bus, QObject* parent = nullptr);
  ~TrayItem() override;

  // True while a tray host shows the item.
  bool shown() const { return shown_; }
  // Where the item is on screen, when known: the XEmbed icon's geometry, or the spot the host
  // reported for the last click.
  std::optional<QRect> geometry() const;
  // How many times the icon has been drawn: once per change of what it shows.
  int drawings() const { return drawings_; }

 signals:
  void clicked();
  // A tray host appeared after start.
  void hostAppeared();

 private:
  void update();
  // Shows the item where a host is, hides it where none is and then watches for one.
  void place();

  PopoverModel& popover_;
  std::unique_ptr<StatusNotifierItem> sni_;
  // Created only when needed: it looks for hosts of its own on creation.
  std::unique_ptr<QSystemTrayIcon> xembed_;
  QTimer hostWatch_;
  std::optional<TrayFace> face_;  // what the current drawings show
  QList<QImage> images_;
  std::optional<QRect> clickedAt_;
  int drawings_ = 0;
  bool shown_ = false;
  bool started_ = false;
};

}  // namespace tempyra
