#pragma once
// The windows process, seen from the tray process: the popover, the dashboard and the tray
// icon's own menu run in a program of their own (tempyra-windows), started when the user first
// asks for a window and ended once every window has stayed closed a while. A closed interface
// then costs the tray process nothing: it never loads Qt Widgets, Qt Quick, QML or the charts. The windows process reads the
// monitor through a copy of its snapshots, sent here after every change, and sends the user's
// commands back; its file dialogs answer the monitor's file chooser. What the dashboard showed
// (page, range) is kept here and handed to the next windows process.
//
// Threads: main thread only.
#include <QByteArray>
#include <QObject>
#include <QPoint>
#include <QString>
#include <QTimer>

#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <vector>

#include <nlohmann/json_fwd.hpp>

#include "app/file_chooser.h"
#include "ui/logic/popover_placement.h"

class QProcess;

namespace tempyra {

class Monitor;
class SurfaceChannel;

class WindowsProcess : public QObject {
  Q_OBJECT

 public:
  // `program`: the windows program's path. `releaseDelay`: how long every window must stay
  // closed before the windows process is ended.
  // REQUIRES: `monitor` outlives this object.
  WindowsProcess(Monitor& monitor, QString program, std::chrono::milliseconds releaseDelay,
                 QObject* parent = nullptr);
  // Ends the windows process (it closes its windows and leaves).
  ~WindowsProcess() override;

  // 30 s, or TEMPYRA_RELEASE_DELAY_MS where set (the end-to-end test's short delay).
  static std::chrono::milliseconds configuredReleaseDelay();
  // tempyra-windows beside this program (the build), else in its library folder (installed).
  static QString installedProgram();

  // Starts the windows process now, without a window (the screenshot tour starts at once).
  void start();
  // Opens the popover against `anchor` (the tray icon, or the point clicked); `toggle`: closes
  // it instead where it shows.
  void showPopover(std::optional<PlacementRect> anchor, bool toggle);
  void closePopover();
  // Shows the tray icon's menu at `at` (device-independent pixels).
  void showMenu(QPoint at);
  // Shows the dashboard and brings it to the front.
  void openDashboard();
  void closeDashboard();
  // Whether a tray host shows the item: closing the dashboard then only hides it.
  void setTrayShown(bool shown);

  bool popoverShown() const { return shown_.popover; }
  bool dashboardShown() const { return shown_.dashboard; }
  // The running windows process's id; 0 when none runs.
  qint64 processId() const;
  // The monitor's file chooser: the windows process shows the dialogs.
  std::shared_ptr<FileChooser> chooser();

 signals:
  // Quit, from a window.
  void quitRequested();
  // The windows process asks for the popover against the tray icon (the screenshot tour).
  void popoverRequested();
  // Which windows show changed.
  void windowsChanged();
  // The windows process was ended because its windows stayed closed.
  void released();

 private:
  class RemoteChooser;
  using Done = std::function<void(std::optional<std::filesystem::path>)>;
  struct Shown {
    bool popover = false;
    bool dashboard = false;
    bool dialog = false;
    bool menu = false;
  };

  bool ensureRunning();
  void send(std::string_view kind, std::string_view text = {});
  void sendLive();
  void sendHistory();
  void sendSetup();
  void sendDefaults();
  void received(const QByteArray& kind, const QByteArray& text);
  void take(const QByteArray& kind, const QByteArray& text);
  void runCommand(const QByteArray& text);
  void takeShown(const QByteArray& text);
  // Asks the windows process's dialog; `request` says which dialog and how it opens.
  void choose(nlohmann::json request, Done done);
  // The windows process went away or was let go: nothing of it is shown, no dialog answers.
  void forget();
  void armRelease();
  void release();
  void ended(QProcess* process);

  Monitor& monitor_;
  QString program_;
  std::unique_ptr<QProcess> process_;
  SurfaceChannel* channel_ = nullptr;  // owned; deleted later, it may be delivering
  // Processes that were let go (released: because their windows stayed closed) or replaced,
  // and have not yet ended.
  struct Leaving {
    std::unique_ptr<QProcess> process;
    bool released = false;
  };
  std::vector<Leaving> leaving_;
  Shown shown_;
  std::optional<bool> trayShown_;
  QByteArray view_;  // what the last windows process said its dashboard showed
  std::shared_ptr<RemoteChooser> chooser_;
  std::map<long long, Done> choosing_;
  long long nextChoice_ = 1;
  QTimer releaseTimer_;
};

}  // namespace tempyra
