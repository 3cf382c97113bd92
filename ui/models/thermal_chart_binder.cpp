#include "ui/models/thermal_chart_binder.h"

#include <QAreaSeries>
#include <QCategoryAxis>
#include <QLineSeries>
#include <QPen>
#include <QScatterSeries>
#include <QXYSeries>

#include <algorithm>
#include <array>
#include <cmath>

#include "ui/logic/chart_data.h"
#include "ui/logic/text_format.h"
#include "ui/models/chart_series.h"

namespace tempyra {

void ThermalChartBinder::draw(const DashboardModel& dashboard, const Theme& theme) {
  const Readings& readings = dashboard.chartReadings();
  const ThermalChartData data =
      thermalChartData(readings, powerMarkers_ ? dashboard.chartEvents() : Events{});
  const bool unobserved = !data.placeholder && data.lines.empty();
  if (data.placeholder != placeholder_ || unobserved != unobserved_) {
    placeholder_ = data.placeholder;
    unobserved_ = unobserved;
    emit placeholderChanged();
  }
  if (!ready()) return;
  clearSeries(chart_);

  if (auto* y = qobject_cast<QCategoryAxis*>(axisY_.data()); y && y->count() == 0) {
    // Labels sit on the values 0 to 3; the first category starts below the visible range.
    y->setStartValue(-1);
    for (ThermalState s : {ThermalState::nominal, ThermalState::fair, ThermalState::serious,
                           ThermalState::critical}) {
      y->append(QString::fromStdString(title(s)), rawValue(s));
    }
    y->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
  }
  // A little room above critical and below nominal, so that their dots lie wholly inside.
  constexpr double kLow = -0.18, kHigh = 3.18;
  if (auto* y = qobject_cast<QAbstractAxis*>(axisY_.data())) y->setRange(kLow, kHigh);
  styleAxis(axisX_, theme.text(), theme.secondary(), theme.separator());
  styleAxis(axisY_, theme.text(), theme.secondary(), theme.separator());

  double first = 0, last = 0;
  bool any = false;
  auto extend = [&](double t) {
    first = any ? std::min(first, t) : t;
    last = any ? std::max(last, t) : t;
    any = true;
  };
  for (const Reading& r : readings) extend(r.timestamp);

  // Drawn first, under the line and the dots.
  if (std::isfinite(bandStart_) && std::isfinite(bandEnd_) && bandEnd_ >= bandStart_) {
    if (QAreaSeries* band = addArea(chart_, QStringLiteral("Chosen episode"), axisX_, axisY_)) {
      QColor fill = theme.accent();
      fill.setAlphaF(0.22f);
      band->setColor(fill);
      band->setBorderColor(fill);
      // A lone reading's episode still gets a visible sliver.
      const double end = std::max(bandEnd_, bandStart_ + 30);
      band->upperSeries()->append(bandStart_ * 1000, kHigh);
      band->upperSeries()->append(end * 1000, kHigh);
      extend(bandStart_);
      extend(end);
    }
  }

  std::array<QXYSeries*, 4> dots{};
  int lineNumber = 0;
  for (const auto& line : data.lines) {
    QXYSeries* s = addSeries(chart_, SeriesKind::line,
                             QStringLiteral("Session %1").arg(++lineNumber), axisX_, axisY_);
    if (!s) return;
    QPen pen(theme.accent());
    pen.setWidthF(2);
    s->setPen(pen);
    const StatePoint* previous = nullptr;
    for (const StatePoint& p : line) {
      // Steps: a state holds until the next reading.
      if (previous && previous->level != p.level) s->append(p.time * 1000, previous->level);
      s->append(p.time * 1000, p.level);
      previous = &p;
      QXYSeries*& d = dots[static_cast<std::size_t>(p.level)];
      if (!d) {
        d = addSeries(chart_, SeriesKind::scatter, QString::fromStdString(title(p.state)),
                      axisX_, axisY_);
        if (auto* scatter = qobject_cast<QScatterSeries*>(d)) {
          const QColor c = theme.tint(stateTint(p.state));
          scatter->setColor(c);
          scatter->setBorderColor(c);
          scatter->setMarkerSize(7);
        }
      }
      if (d) d->append(p.time * 1000, p.level);
    }
  }
  QColor marker = theme.secondary();
  marker.setAlphaF(0.4f);
  for (double t : data.powerMarkers) {
    extend(t);
    QXYSeries* s = addSeries(chart_, SeriesKind::line, QStringLiteral("Power change"), axisX_,
                             axisY_);
    if (!s) break;
    QPen pen(marker);
    pen.setWidthF(1);
    pen.setDashPattern({3, 3});
    s->setPen(pen);
    s->append(t * 1000, kLow);
    s->append(t * 1000, kHigh);
  }
  setTimeAxis(axisX_, first, last);
}

}  // namespace tempyra
