#pragma once
// The running application: the one monitor, the tray item, the popover and the dashboard
// window. Main thread only; lives until the application quits.
#include <QObject>
#include <QPointer>
#include <QQmlEngine>
#include <QQuickWindow>

#include <memory>

#include "app/monitor.h"

namespace tempyra {

class MonitorAdapter;
class TrayItem;
class UiContext;

class AppShell : public QObject {
  Q_OBJECT

 public:
  // REQUIRES: a QApplication exists. Closing the last window does not end the application
  // while the tray item can reopen it.
  AppShell();
  ~AppShell() override;

  // Opens the dashboard when no tray host runs: nothing else could open it.
  void start();
  // Creates the dashboard on first use, shows it and brings it to the front.
  void openDashboard();
  void togglePopover();

  UiContext& ui() { return *ui_; }
  // The windows while they exist.
  QQuickWindow* popoverWindow() const { return popover_.data(); }
  QQuickWindow* dashboardWindow() const { return dashboard_.data(); }

 private:
  void dashboardClosed();

  std::unique_ptr<Monitor> monitor_;
  std::unique_ptr<MonitorAdapter> port_;
  std::unique_ptr<UiContext> ui_;
  std::unique_ptr<QQmlEngine> engine_;
  std::unique_ptr<TrayItem> tray_;
  QPointer<QQuickWindow> popover_;
  QPointer<QQuickWindow> dashboard_;
};

}  // namespace tempyra
