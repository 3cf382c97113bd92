#pragma once
// The tray item: our drawn thermometer (slashed while stale), the menu title as tooltip, and a
// click that asks for the popover. Without a tray host it stays hidden and watches for one.
#include <QObject>
#include <QRect>
#include <QSystemTrayIcon>
#include <QTimer>

#include <optional>

namespace tempyra {

class PopoverModel;
class Theme;

class TrayItem : public QObject {
  Q_OBJECT

 public:
  TrayItem(PopoverModel& popover, Theme& theme, QObject* parent = nullptr);

  // True while a tray host shows the icon.
  bool shown() const { return icon_.isVisible(); }
  // The icon's global geometry, when the tray host tells it.
  std::optional<QRect> geometry() const;

 signals:
  void clicked();
  // A tray host appeared after start.
  void hostAppeared();

 private:
  void update();
  void poll();

  PopoverModel& popover_;
  Theme& theme_;
  QSystemTrayIcon icon_;
  QTimer hostWatch_;
  QString iconName_;
  bool dark_ = false;
};

}  // namespace tempyra
