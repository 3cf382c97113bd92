#pragma once
// The running application as the tray process holds it: the one monitor, the tray item and
// the windows process that shows the popover and the dashboard when asked. Main thread only;
// lives until the application quits.
#include <QObject>

#include <memory>

#include "app/monitor.h"

namespace tempyra {

class TrayItem;
class TrayModel;
class WindowsProcess;

class AppShell : public QObject {
  Q_OBJECT

 public:
  // REQUIRES: a QGuiApplication exists. Closing the last window never ends the application: the
  // tray item, or launching it again, brings the dashboard back.
  AppShell();
  ~AppShell() override;

  // Opens the dashboard when no tray host runs: nothing else would show that it runs.
  void start();
  // Shows the dashboard and brings it to the front (the user asked).
  void openDashboard();
  void togglePopover() { showPopover(true); }
  // Opens the popover beside the tray icon; `toggle`: closes it instead where it shows.
  void showPopover(bool toggle);

  WindowsProcess& windows() { return *windows_; }

 private:
  void trayAppeared();

  std::unique_ptr<Monitor> monitor_;
  std::unique_ptr<TrayModel> trayModel_;
  std::unique_ptr<TrayItem> tray_;
  std::unique_ptr<WindowsProcess> windows_;
};

}  // namespace tempyra
