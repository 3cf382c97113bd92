#pragma once
// The icon in an XEmbed system tray, for X11 panels without a StatusNotifier host: a small
// window the tray takes in, drawn from the tray face's images, with a tooltip of its own.
// Clicks are reported, never acted on here. It needs Qt Gui and xcb only, so the tray process
// runs without Qt Widgets.
//
// Threads: main thread only.
#include <QAbstractNativeEventFilter>
#include <QIcon>
#include <QObject>
#include <QPoint>
#include <QRect>
#include <QString>
#include <QTimer>

#include <memory>
#include <optional>

namespace tempyra {

class XEmbedIcon : public QObject, public QAbstractNativeEventFilter {
  Q_OBJECT

 public:
  // REQUIRES: a QGuiApplication exists.
  explicit XEmbedIcon(QObject* parent = nullptr);
  ~XEmbedIcon() override;

  // Whether an XEmbed tray runs on this display now (one X selection query); false where the
  // application does not run on X11.
  static bool trayAvailable();

  // Docks the icon in the tray (a new window each time the tray changed), or keeps it there.
  void show();
  // Takes the icon out of the tray.
  void hide();
  bool docked() const { return window_ != nullptr; }
  void setIcon(const QIcon& icon);
  void setToolTip(const QString& text);
  // The icon's place on the screen in device pixels, as the X server says; none while it is
  // not docked.
  std::optional<QRect> screenGeometry() const;

  bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

 signals:
  // A left or middle click, or a double click.
  void activated();
  // A right click, where the pointer is (device-independent pixels).
  void contextMenuRequested(QPoint at);
  // The tray went away (its panel quit or restarted): the icon is no longer docked.
  void trayLost();

 private:
  class IconWindow;
  class TipWindow;
  friend class IconWindow;

  void hovered(QPoint at);
  void left();
  void showTip();

  std::unique_ptr<IconWindow> window_;
  std::unique_ptr<TipWindow> tip_;
  QIcon icon_;
  QString toolTip_;
  QPoint hoverAt_;
  QTimer tipWake_;   // the pointer rests on the icon: the tip shows
  QTimer tipSleep_;  // the tip has shown long enough
};

}  // namespace tempyra
