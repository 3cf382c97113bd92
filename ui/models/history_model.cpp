#include "ui/models/history_model.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>

#include "ui/logic/chart_data.h"
#include "ui/logic/text_format.h"
#include "ui/models/model_support.h"
#include "ui/models/monitor_port.h"

namespace tempyra {

namespace {

std::string field(const EventRow& row, const char* key) {
  const auto it = row.find(key);
  return it == row.end() ? std::string() : it->second;
}

// The stored time (seconds since 1970 as text) as date and time; shown as stored when it is
// no number.
QString eventTime(const std::string& text) {
  char* end = nullptr;
  errno = 0;
  const double t = std::strtod(text.c_str(), &end);
  if (text.empty() || errno != 0 || *end != '\0' || !std::isfinite(t)) return qs(text);
  return qs(abbreviatedDateTime(t));
}

}  // namespace

void HistoryModel::refresh(const MonitorPort& port) {
  View v;
  for (ThermalState s : kAllThermalStates) {
    const auto it = port.durations().find(s);
    v.durations.push_back(
        {qs(title(s)), qs(durationText(it == port.durations().end() ? 0 : it->second))});
  }
  for (const EventRow& e : port.events()) {
    v.events.push_back(
        {eventTime(field(e, "time")), qs(field(e, "kind")), qs(field(e, "detail"))});
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
