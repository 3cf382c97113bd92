#pragma once
// The memory benchmark's switch: creating a file opens the dashboard, removing it closes it;
// TEMPYRA_BENCH_POPOVER, when set, names a second file that does the same for the popover.
// Watched through inotify, so an idle measurement sees no polling. Started when
// TEMPYRA_BENCH_DASHBOARD names the file (bench/ui_memory.sh). Prints a line on standard
// output with the wall-clock time (ms since 1970) of the first frame after each opening and of
// each release of the interface.
#include <QFileSystemWatcher>
#include <QObject>
#include <QString>

class QQuickWindow;

namespace tempyra {

class AppShell;

class DashboardFileSwitch : public QObject {
  Q_OBJECT

 public:
  // REQUIRES: `shell` outlives the switch.
  DashboardFileSwitch(AppShell& shell, QString file, QObject* parent = nullptr);

 private:
  void follow();
  void reportFirstFrame(QQuickWindow* window, const char* what);

  AppShell& shell_;
  QString file_;
  QString popoverFile_;
  QFileSystemWatcher watcher_;
};

}  // namespace tempyra
