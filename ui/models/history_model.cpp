#include "ui/models/history_model.h"

#include "ui/logic/chart_data.h"
#include "ui/logic/text_format.h"
#include "ui/models/model_support.h"
#include "ui/models/monitor_port.h"

namespace tempyra {

void HistoryModel::refresh(const MonitorPort& port) {
  View v;
  for (ThermalState s : kAllThermalStates) {
    const auto it = port.durations().find(s);
    v.durations.push_back(
        {qs(title(s)), qs(durationText(it == port.durations().end() ? 0 : it->second))});
  }
  for (const Event& e : port.events()) {
    v.events.push_back({qs(abbreviatedDateTime(e.time)), qs(e.kind), qs(e.detail)});
  }
  const TemperatureChartData t = temperatureChartData(port.history(), port.preferences().unit);
  v.hasTemperatures = t.highest.has_value();
  v.temperatureSummary = qs(t.summary);
  if (replaceView(v_, std::move(v))) emit changed();
}

void HistoryModel::clear() {
  if (replaceView(v_, View{})) emit changed();
}

}  // namespace tempyra
