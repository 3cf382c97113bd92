#pragma once
// The running application: the one monitor, the tray item, the popover and the dashboard
// window. Main thread only; lives until the application quits.
#include <QObject>
#include <QPointer>
#include <QQuickWindow>

#include <memory>

#include "app/monitor.h"

class QWidget;

namespace tempyra {

class FileDialogChooser;
class QmlWindows;
class TrayItem;
class TrayModel;
class UiContext;

class AppShell : public QObject {
  Q_OBJECT

 public:
  // REQUIRES: a QApplication exists. Closing the last window never ends the application: the
  // tray item, or launching it again, brings the dashboard back.
  AppShell();
  ~AppShell() override;

  // Opens the dashboard when no tray host runs: nothing else would show that it runs.
  void start();
  // Creates the dashboard on first use, shows it and brings it to the front (the user asked).
  void openDashboard();
  void togglePopover();

  UiContext& ui() { return *ui_; }
  // The windows while they exist.
  QQuickWindow* popoverWindow() const { return popover_.data(); }
  QQuickWindow* dashboardWindow() const { return dashboard_.data(); }
  // The export dialog while it is open.
  QWidget* exportDialog() const;
  // The engine behind the windows: loaded while they are needed.
  QmlWindows& qmlWindows() { return *qml_; }

 private:
  void showDashboard();
  void dashboardClosed();
  void trayAppeared();
  // Puts the popover beside the tray icon (where the platform lets a client place windows).
  void placePopover();
  static bool onWayland();

  std::unique_ptr<Monitor> monitor_;
  std::unique_ptr<UiContext> ui_;
  std::unique_ptr<QmlWindows> qml_;
  std::unique_ptr<TrayModel> trayModel_;
  std::unique_ptr<TrayItem> tray_;
  std::shared_ptr<FileDialogChooser> chooser_;
  QPointer<QQuickWindow> popover_;
  QPointer<QQuickWindow> dashboard_;
};

}  // namespace tempyra
