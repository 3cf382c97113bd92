#include "ui/models/temperature_chart_binder.h"

#include <QAbstractAxis>
#include <QScatterSeries>

#include <algorithm>

#include "ui/logic/chart_data.h"
#include "ui/logic/text_format.h"
#include "ui/models/chart_series.h"

namespace tempyra {

void TemperatureChartBinder::draw(const DashboardModel& dashboard, const Theme& theme) {
  if (!ready()) return;
  const TemperatureChartData data =
      temperatureChartData(dashboard.chartReadings(), dashboard.chartUnit());
  clearSeries(chart_);
  styleAxis(axisX_, theme.text(), theme.secondary(), theme.separator());
  styleAxis(axisY_, theme.text(), theme.secondary(), theme.separator());
  if (auto* y = qobject_cast<QAbstractAxis*>(axisY_.data())) {
    y->setTitleText(QString::fromStdString(data.unit));
  }
  if (!data.highest) return;

  double first = 0, last = 0, low = *data.highest, high = *data.highest;
  bool any = false;
  const struct {
    const std::vector<TemperaturePoint>* points;
    const char* name;
    QColor colour;
  } series[] = {{&data.cpu, "CPU temperature", theme.tint(Tint::orange)},
                {&data.gpu, "GPU temperature", theme.accent()}};
  for (const auto& s : series) {
    if (s.points->empty()) continue;
    auto* scatter = qobject_cast<QScatterSeries*>(
        addSeries(chart_, SeriesKind::scatter, QString::fromUtf8(s.name), axisX_, axisY_));
    if (!scatter) return;
    scatter->setColor(s.colour);
    scatter->setBorderColor(s.colour);
    scatter->setMarkerSize(6);
    for (const TemperaturePoint& p : *s.points) {
      scatter->append(p.time * 1000, p.value);
      first = any ? std::min(first, p.time) : p.time;
      last = any ? std::max(last, p.time) : p.time;
      low = std::min(low, p.value);
      any = true;
    }
  }
  setTimeAxis(axisX_, first, last);
  setValueAxis(axisY_, low, high);
}

}  // namespace tempyra
