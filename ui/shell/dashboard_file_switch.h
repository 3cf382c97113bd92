#pragma once
// The memory benchmark's switch: creating a file opens the dashboard, removing it closes it.
// Watched through inotify, so an idle measurement sees no polling. Started when
// TEMPYRA_BENCH_DASHBOARD names the file (bench/ui_memory.sh).
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
  AppShell& shell_;
  QString file_;
  QFileSystemWatcher watcher_;
};

}  // namespace tempyra
