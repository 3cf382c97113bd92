#pragma once
// The windows process's application: the popover and the dashboard over the copied monitor,
// their file dialogs, the tray icon's own menu, and what it tells the tray process (which
// windows show, the dashboard's page and range, the user's Quit). Windows are built on first
// need from one QML engine; the tray process ends the whole process once they have stayed
// closed a while. Main thread only.
#include <QByteArray>
#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QQuickWindow>

#include <memory>
#include <optional>

#include "ui/logic/popover_placement.h"

class QMenu;
class QQmlEngine;
class QWidget;

namespace tempyra {

class FileDialogChooser;
class RemoteSurface;
class SurfaceChannel;
class TrayModel;
class UiContext;

class WindowsShell : public QObject {
  Q_OBJECT

 public:
  // REQUIRES: a QApplication exists; `surface` is complete and, with `channel`, outlives this.
  WindowsShell(RemoteSurface& surface, SurfaceChannel& channel);
  ~WindowsShell() override;

  // Carries out a message from the tray process other than a snapshot.
  void take(const QByteArray& kind, const QByteArray& text);

  // Creates the dashboard on first use, shows it and brings it to the front.
  void openDashboard();
  // Opens the popover against `anchor` (the tray icon or the point clicked), or closes it.
  void togglePopover(std::optional<PlacementRect> anchor);
  // Shows the tray icon's menu at `at`, made on first use.
  void popupMenu(QPoint at);
  // Asks the tray process for the popover against its icon.
  void requestPopover();
  // Quits the whole application, through the tray process.
  void quit();

  UiContext& ui() { return *ui_; }
  QQuickWindow* popoverWindow() const { return popover_.data(); }
  QQuickWindow* dashboardWindow() const { return dashboard_.data(); }
  // The file dialog while it is open.
  QWidget* fileDialog() const;

 private:
  void carryOut(const QByteArray& kind, const QByteArray& text);
  QQuickWindow* create(const char* url);
  void dashboardClosed();
  void placePopover(std::optional<PlacementRect> anchor);
  void choose(const QByteArray& request);
  // Tells the tray process which windows show and what the dashboard shows.
  void reportShown();
  void reportFirstFrame(QQuickWindow* window, const char* what);
  static bool onWayland();

  RemoteSurface& surface_;
  SurfaceChannel& channel_;
  std::unique_ptr<UiContext> ui_;
  std::unique_ptr<QQmlEngine> engine_;
  std::unique_ptr<FileDialogChooser> chooser_;
  std::unique_ptr<TrayModel> trayModel_;  // the menu's entries, over the copied monitor
  std::unique_ptr<QMenu> menu_;
  QPointer<QQuickWindow> popover_;
  QPointer<QQuickWindow> dashboard_;
  QByteArray reported_;
  bool dialogOpen_ = false;
  // The memory benchmark's switch is set: each window's first frame is reported.
  bool reportFrames_ = false;
};

}  // namespace tempyra
