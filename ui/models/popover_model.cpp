#include "ui/models/popover_model.h"

#include <QStringList>

#include "ui/models/monitor_port.h"
#include "ui/logic/text_format.h"

namespace tempyra {

namespace {

QString q(const std::string& s) { return QString::fromStdString(s); }

}  // namespace

PopoverModel::PopoverModel(MonitorPort& port, QObject* parent) : QObject(parent), port_(port) {
  connect(&port_, &MonitorPort::changed, this, &PopoverModel::refresh);
  refresh();
}

void PopoverModel::refresh() {
  const auto& reading = port_.reading();
  const bool stale = port_.stale();
  QVariantMap v;
  v["tint"] = static_cast<int>(
      statusTint(stale, reading ? std::optional(reading->state) : std::nullopt));
  if (stale) {
    v["stateTitle"] = QStringLiteral("Monitoring paused or waiting");
  } else if (!reading) {
    v["stateTitle"] = QStringLiteral("Waiting");
  } else {
    v["stateTitle"] = q(title(reading->state));
  }
  v["explanation"] =
      reading ? q(explanation(reading->state)) : QStringLiteral("Collecting the first reading.");
  v["hasReading"] = reading.has_value();
  QStringList sensors;
  QString activity;
  const ValueDisplay display = port_.valueDisplay();
  if (reading) {
    v["cpuLine"] = QStringLiteral("CPU load: ") + q(display(reading->cpu));
    for (const Metric& m : reading->sensors) {
      if (m.name.rfind("Sensor ", 0) == 0) continue;
      sensors << q(m.name) + QStringLiteral(": ") + q(display(m));
    }
    v["powerLine"] = q(reading->power.source) + QStringLiteral(" · ") +
                     q(timeOfDayWithSeconds(reading->timestamp));
    if (!reading->activity.empty()) {
      const ProcessActivity& a = reading->activity.front();
      activity = QStringLiteral("Observed activity: ") + q(a.name) + QStringLiteral(" · ") +
                 q(fixed(a.cpu, 1)) + QStringLiteral("% of one core");
    }
  }
  v["sensorLines"] = sensors;
  v["activityLine"] = activity;
  QString lastDetail = QStringLiteral("No events recorded");
  if (!port_.events().empty()) {
    const auto& first = port_.events().front();
    if (const auto it = first.find("detail"); it != first.end()) lastDetail = q(it->second);
  }
  v["lastEvent"] = QStringLiteral("Last event: ") + lastDetail;
  v["pauseLabel"] = port_.paused() ? QStringLiteral("Resume") : QStringLiteral("Pause");
  v["trayIcon"] = stale ? QStringLiteral("thermometer.slash") : QStringLiteral("thermometer.medium");
  const QString title = q(menuTitle(reading, port_.preferences().menu, display));
  v["menuTitle"] = title;
  // Trays show no text beside the icon: the title becomes the tooltip.
  v["tooltip"] = title.isEmpty() ? QStringLiteral("Tempyra") : title;
  if (v != view_) {
    view_ = v;
    emit viewChanged();
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
