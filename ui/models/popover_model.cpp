#include "ui/models/popover_model.h"

#include "app/monitor_surface.h"
#include "ui/logic/text_format.h"
#include "ui/logic/tray_menu.h"
#include "ui/models/model_support.h"

namespace tempyra {

PopoverModel::PopoverModel(MonitorSurface& monitor, QObject* parent)
    : QObject(parent), monitor_(monitor) {
  for (auto signal : {&MonitorSurface::liveChanged, &MonitorSurface::historyChanged,
                      &MonitorSurface::setupChanged}) {
    connect(&monitor_, signal, this, &PopoverModel::refresh);
  }
  refresh();
}

void PopoverModel::refresh() {
  const LiveState live = monitor_.live();
  const SetupState setup = monitor_.setup();
  const auto& reading = live.reading;
  const ValueDisplay display = valueDisplay(live, setup);
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
  const auto& events = monitor_.history().events;
  const bool described = !events.empty() && !events.front().detail.empty();
  v.lastEvent = qs("Last event: " + (described ? events.front().detail : "No events recorded"));
  v.pauseLabel = live.paused ? QStringLiteral("Resume") : QStringLiteral("Pause");
  if (replaceView(v_, std::move(v))) emit changed();
}

void PopoverModel::togglePause() { monitor_.togglePause(); }

void PopoverModel::snooze() {
  Preferences p = monitor_.setup().preferences;
  p.alerts.snoozeUntil = snoozeEnd(monitor_.live().now);
  monitor_.setPreferences(p);
  monitor_.savePreferences();
}

}  // namespace tempyra
