#include "ui/models/popover_model.h"

#include "ui/logic/text_format.h"
#include "ui/models/model_support.h"
#include "ui/models/monitor_port.h"

namespace tempyra {

PopoverModel::PopoverModel(MonitorPort& port, QObject* parent) : QObject(parent), port_(port) {
  connect(&port_, &MonitorPort::changed, this, &PopoverModel::refresh);
  refresh();
}

void PopoverModel::refresh() {
  const auto& reading = port_.reading();
  const ValueDisplay display = port_.valueDisplay();
  View v;
  v.tint = Theme::qmlTint(
      statusTint(display.stale, reading ? std::optional(reading->state) : std::nullopt));
  if (display.stale) {
    v.stateTitle = QStringLiteral("Monitoring paused or waiting");
  } else if (!reading) {
    v.stateTitle = QStringLiteral("Waiting");
  } else {
    v.stateTitle = qs(title(reading->state));
  }
  v.explanation = reading ? qs(tempyra::explanation(reading->state))
                          : QStringLiteral("Collecting the first reading.");
  v.hasReading = reading.has_value();
  if (reading) {
    v.cpuLine = QStringLiteral("CPU load: ") + qs(cpuLoadText(reading, display));
    v.littleToShow = qs(littleToShowNotice(reading));
    for (const Metric& m : reading->sensors) {
      if (!listedInSummary(m)) continue;
      v.sensorLines << qs(m.name + ": " + display(m));
    }
    v.powerLine =
        qs(powerSourceText(reading->power) + " · " + timeOfDayWithSeconds(reading->timestamp));
    if (!reading->activity.empty()) {
      const ProcessActivity& a = reading->activity.front();
      v.activityLine =
          qs("Observed activity: " + a.name + " · " + fixed(a.cpu, 1) + "% of one core");
    }
  }
  const auto& events = port_.events();
  const bool described = !events.empty() && !events.front().detail.empty();
  v.lastEvent = qs("Last event: " + (described ? events.front().detail : "No events recorded"));
  v.pauseLabel = port_.paused() ? QStringLiteral("Resume") : QStringLiteral("Pause");
  const MenuMode mode = port_.preferences().menu;
  v.trayFace = tempyra::trayFace(reading, mode, display);
  v.trayTitle = qs(menuTitle(reading, mode, display));
  v.trayTitleGuide = qs(tempyra::trayTitleGuide(mode));
  v.trayMenu = {
      {TrayCommand::openDashboard, QStringLiteral("Open Dashboard")},
      {TrayCommand::togglePause, port_.paused() ? QStringLiteral("Resume Monitoring")
                                                : QStringLiteral("Pause Monitoring")},
      {TrayCommand::snooze, QStringLiteral("Snooze Alerts · 1 hour")},
      {TrayCommand::quit, QStringLiteral("Quit"), true},
  };
  if (replaceView(v_, std::move(v))) emit changed();
}

void PopoverModel::run(TrayCommand command) {
  switch (command) {
    case TrayCommand::openDashboard: openDetails(); break;
    case TrayCommand::togglePause: togglePause(); break;
    case TrayCommand::snooze: snooze(); break;
    case TrayCommand::quit: quit(); break;
  }
}

void PopoverModel::togglePause() { port_.togglePause(); }

void PopoverModel::snooze() {
  Preferences p = port_.preferences();
  p.alerts.snoozeUntil = port_.now() + 3600;
  port_.setPreferences(p);
  port_.savePreferences();
}

}  // namespace tempyra
