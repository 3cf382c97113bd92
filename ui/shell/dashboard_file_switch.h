#pragma once
// The memory benchmark's switch: creating a file opens the dashboard, removing it closes it;
// TEMPYRA_BENCH_POPOVER, when set, names a second file that does the same for the popover.
// Watched through inotify, so an idle measurement sees no polling. Started when
// TEMPYRA_BENCH_DASHBOARD names the file (bench/ui_memory.sh). Each release of the interface
// is printed on standard output with the wall-clock time (ms since 1970); the windows process
// prints the first frame of each window it opens.
#include <QFileSystemWatcher>
#include <QObject>
#include <QString>

namespace tempyra {

class AppShell;

class DashboardFileSwitch : public QObject {
  Q_OBJECT

 public:
  // REQUIRES: `shell` outlives the switch.
  DashboardFileSwitch(AppShell& shell, QString file, QObject* parent = nullptr);

 private:
  void follow();

  AppShell& shell_;
  QString file_;
  QString popoverFile_;
  QFileSystemWatcher watcher_;
};

}  // namespace tempyra
