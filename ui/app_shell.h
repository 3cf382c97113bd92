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
  // REQUIRES: a QApplication exists.
  AppShell();
  ~AppShell() override;

  // Shows the tray item, or the dashboard when no tray host is running.
  void start();
  // Creates the dashboard on first use, shows it and brings it to the front.
  void openDashboard();
  void togglePopover();

 private:
  void dashboardClosed();
  // Writes PNGs of the popover, the onboarding sheets and every page in light and dark to
  // `folder`, then quits (the screenshot script sets TEMPYRA_SCREENSHOTS).
  void captureScreens(const QString& folder);

  std::unique_ptr<Monitor> monitor_;
  std::unique_ptr<MonitorAdapter> port_;
  std::unique_ptr<UiContext> ui_;
  std::unique_ptr<QQmlEngine> engine_;
  std::unique_ptr<TrayItem> tray_;
  QPointer<QQuickWindow> popover_;
  QPointer<QQuickWindow> dashboard_;
};

}  // namespace tempyra
