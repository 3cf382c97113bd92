#include "ui/models/history_model.h"

#include <cmath>

#include "app/monitor_surface.h"
#include "ui/logic/chart_data.h"
#include "ui/logic/episode_text.h"
#include "ui/logic/text_format.h"
#include "ui/models/model_support.h"

namespace tempyra {

namespace {

// A row wraps where the layout runs out of room, but never between a figure and its unit.
QString unitsKeptWithFigures(const std::string& text) {
  QString shown = qs(text);
  shown.replace(QStringLiteral(" %"), QStringLiteral("\u00A0%"));
  shown.replace(QStringLiteral(" \u00B0"), QStringLiteral("\u00A0\u00B0"));
  return shown;
}

}  // namespace

void HistoryModel::refresh(const MonitorSurface& monitor) {
  const HistoryState& h = monitor.history();
  const TemperatureUnit unit = monitor.setup().preferences.unit;
  View v;
  for (ThermalState s : kAllThermalStates) {
    const auto it = h.durations.find(s);
    v.durations.push_back(
        {qs(title(s)), qs(durationText(it == h.durations.end() ? 0 : it->second))});
  }
  for (const Event& e : h.events) {
    v.events.push_back({qs(abbreviatedDateTime(e.time)), qs(eventKindText(e)), qs(e.detail)});
  }
  const TemperatureChartData t = temperatureChartData(h.readings, unit);
  v.hasTemperatures = t.highest.has_value();
  v.temperatureSummary = qs(t.summary);
  const double now = monitor.live().now;
  for (const Episode& e : h.episodes) {
    const int tint = static_cast<int>(Theme::qmlTint(stateTint(e.highest)));
    v.episodes.push_back({unitsKeptWithFigures(episodeText(e, unit, now)),
                          tint, e.brief, e.start, e.end});
  }
  if (replaceView(v_, std::move(v))) emit changed();
}

const EpisodeRow* HistoryModel::selectedRow() const {
  for (const EpisodeRow& row : v_.episodes) {
    if (row.start == selected_) return &row;
  }
  return nullptr;
}

double HistoryModel::bandStart() const {
  const EpisodeRow* row = selectedRow();
  return row ? row->start : std::numeric_limits<double>::quiet_NaN();
}

double HistoryModel::bandEnd() const {
  const EpisodeRow* row = selectedRow();
  return row ? row->end : std::numeric_limits<double>::quiet_NaN();
}

void HistoryModel::select(double start) {
  // Choosing the chosen episode again clears the mark.
  const double next = start == selected_ ? std::numeric_limits<double>::quiet_NaN() : start;
  if (next == selected_ || (std::isnan(next) && std::isnan(selected_))) return;
  selected_ = next;
  emit changed();
}

void HistoryModel::clear() {
  if (replaceView(v_, View{})) emit changed();
}

}  // namespace tempyra
