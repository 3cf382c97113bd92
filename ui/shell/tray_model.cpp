#include "ui/shell/tray_model.h"

#include <string_view>

#include "app/monitor_surface.h"
#include "ui/logic/text_format.h"
#include "ui/logic/tray_menu.h"

namespace tempyra {

namespace {

// How often the face is checked against the clock: a reading older than the freshness limit
// greys the icon even when no new sample comes.
constexpr int kAgeCheckMs = 15000;

QString text(std::string_view t) {
  return QString::fromUtf8(t.data(), static_cast<qsizetype>(t.size()));
}

}  // namespace

TrayModel::TrayModel(MonitorSurface& monitor, QObject* parent)
    : QObject(parent), monitor_(monitor) {
  // The face and the menu follow the live state and the setup only, never the history.
  connect(&monitor_, &MonitorSurface::liveChanged, this, &TrayModel::refresh);
  connect(&monitor_, &MonitorSurface::setupChanged, this, &TrayModel::refresh);
  connect(&ageCheck_, &QTimer::timeout, this, &TrayModel::refresh);
  ageCheck_.setTimerType(Qt::VeryCoarseTimer);
  ageCheck_.start(kAgeCheckMs);
  refresh();
}

QString TrayModel::product() { return text(kProductName); }

QString TrayModel::tooltip() const { return v_.title.isEmpty() ? product() : v_.title; }

void TrayModel::refresh() {
  const LiveState live = monitor_.live();
  const Preferences preferences = monitor_.setup().preferences;
  const MenuMode mode = preferences.menu;
  const ValueDisplay display{preferences.unit, live.stale, live.now};
  View v;
  v.face = tempyra::trayFace(live.reading, mode, display);
  v.title = QString::fromStdString(menuTitle(live.reading, mode, display));
  v.titleGuide = QString::fromStdString(tempyra::trayTitleGuide(mode));
  v.menu = {
      {TrayCommand::openDashboard, text(kOpenDashboardLabel)},
      {TrayCommand::togglePause,
       text(live.paused ? kResumeMonitoringLabel : kPauseMonitoringLabel)},
      {TrayCommand::snooze, text(kSnoozeAlertsLabel)},
      {TrayCommand::quit, text(kQuitLabel), true},
  };
  if (v == v_) return;
  v_ = std::move(v);
  emit changed();
}

void TrayModel::run(TrayCommand command) {
  switch (command) {
    case TrayCommand::openDashboard: emit openDashboardRequested(); break;
    case TrayCommand::togglePause: monitor_.togglePause(); break;
    case TrayCommand::snooze: {
      Preferences p = monitor_.setup().preferences;
      p.alerts.snoozeUntil = snoozeEnd(monitor_.live().now);
      monitor_.setPreferences(p);
      monitor_.savePreferences();
      break;
    }
    case TrayCommand::quit: emit quitRequested(); break;
  }
}

}  // namespace tempyra
