#include "ui/models/overview_model.h"

#include "app/monitor_surface.h"
#include "ui/logic/episode_text.h"
#include "ui/logic/text_format.h"
#include "ui/models/model_support.h"

namespace tempyra {

void OverviewModel::refresh(const MonitorSurface& monitor) {
  const LiveState live = monitor.live();
  const auto& r = live.reading;
  const ValueDisplay display = valueDisplay(live, monitor.setup());
  View v;
  v.symbol = display.stale ? QStringLiteral("thermometer.slash")
                           : QStringLiteral("thermometer.medium");
  v.tint = Theme::qmlTint(statusTint(display.stale, r ? std::optional(r->state) : std::nullopt));
  v.title = display.stale ? QStringLiteral("Waiting for fresh readings")
                          : (r ? qs(tempyra::title(r->state)) : QStringLiteral("Waiting"));
  const auto& advice = live.advice;
  v.headline = advice ? qs(advice->headline) : QStringLiteral("Monitoring will begin shortly.");
  v.cpu = qs(cpuLoadText(r, display));
  v.littleToShow = qs(littleToShowNotice(r));
  v.powerSource = r ? qs(powerSourceText(r->power)) : QStringLiteral("Not available");
  v.battery = r && r->power.battery ? qs("Battery " + fixed(*r->power.battery, 0) + "%")
                                    : QStringLiteral("Battery level not available");
  v.charging = QStringLiteral("Charging status unavailable");
  if (r && r->power.charging) {
    v.charging = *r->power.charging ? QStringLiteral("Charging") : QStringLiteral("Not charging");
  }
  if (r) {
    for (const Metric& m : r->sensors) {
      if (!listedInSummary(m)) continue;
      v.sensors.push_back({qs(m.name), qs(display(m))});
    }
  }
  if (live.away) v.away = qs(awayText(*live.away));
  if (replaceView(v_, std::move(v))) emit changed();
}

void OverviewModel::clear() {
  if (replaceView(v_, View{})) emit changed();
}

}  // namespace tempyra
