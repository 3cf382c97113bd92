#include "ui/models/chart_series.h"

#include <QAbstractAxis>
#include <QAreaSeries>
#include <QCategoryAxis>
#include <QMetaEnum>
#include <QMetaObject>
#include <QValueAxis>
#include <QXYSeries>

#include <cmath>

#include "ui/logic/chart_ticks.h"

namespace tempyra {

namespace {

int seriesType(QObject* chart, const char* key) {
  const QMetaObject* mo = chart->metaObject();
  const int e = mo->indexOfEnumerator("SeriesType");
  return e < 0 ? -1 : mo->enumerator(e).keyToValue(key);
}

// A new series of the ChartView's `type` ("SeriesTypeLine", …) on the two axes.
QAbstractSeries* createSeries(QObject* chart, const char* type, const QString& name,
                              QObject* axisX, QObject* axisY) {
  if (!chart) return nullptr;
  const int value = seriesType(chart, type);
  if (value < 0) return nullptr;
  QAbstractSeries* series = nullptr;
  QMetaObject::invokeMethod(chart, "createSeries", Q_RETURN_ARG(QAbstractSeries*, series),
                            Q_ARG(int, value), Q_ARG(QString, name),
                            Q_ARG(QAbstractAxis*, qobject_cast<QAbstractAxis*>(axisX)),
                            Q_ARG(QAbstractAxis*, qobject_cast<QAbstractAxis*>(axisY)));
  return series;
}

}  // namespace

void clearSeries(QObject* chart) {
  if (chart) QMetaObject::invokeMethod(chart, "removeAllSeries");
}

QXYSeries* addSeries(QObject* chart, SeriesKind kind, const QString& name, QObject* axisX,
                     QObject* axisY) {
  const char* type = kind == SeriesKind::line ? "SeriesTypeLine" : "SeriesTypeScatter";
  return qobject_cast<QXYSeries*>(createSeries(chart, type, name, axisX, axisY));
}

QAreaSeries* addArea(QObject* chart, const QString& name, QObject* axisX, QObject* axisY) {
  auto* area =
      qobject_cast<QAreaSeries*>(createSeries(chart, "SeriesTypeArea", name, axisX, axisY));
  // The view gives a new area its upper line.
  return area && area->upperSeries() ? area : nullptr;
}

void setTimeAxis(QObject* axis, double first, double last) {
  auto* a = qobject_cast<QCategoryAxis*>(axis);
  if (!a) return;
  const TimeAxis time = timeAxis(first, last);
  for (const QString& label : a->categoriesLabels()) a->remove(label);
  // Grid lines fall on the marks; the axis' own start lies outside the span so it draws none.
  a->setStartValue((time.min - (time.max - time.min)) * 1000);
  QStringList used;
  for (const AxisTick& tick : time.ticks) {
    QString label = QString::fromStdString(tick.label);
    // Labels name the categories, so a repeated one (the same time a day apart) gets an
    // invisible mark to stay distinct.
    while (used.contains(label)) label += QChar(0x200B);
    used << label;
    a->append(label, tick.value * 1000);
  }
  a->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
  a->setRange(time.min * 1000, time.max * 1000);
}

void setValueAxis(QObject* axis, double low, double high) {
  auto* a = qobject_cast<QValueAxis*>(axis);
  if (!a) return;
  const ValueAxis value = valueAxis(low, high);
  a->setRange(value.min, value.max);
  a->setTickCount(static_cast<int>(std::lround((value.max - value.min) / value.step)) + 1);
  a->setLabelFormat(QStringLiteral("%.0f"));
}

void styleAxis(QObject* axis, const QColor& labels, const QColor& title, const QColor& grid) {
  auto* a = qobject_cast<QAbstractAxis*>(axis);
  if (!a) return;
  a->setLabelsColor(labels);
  a->setTitleBrush(title);
  a->setGridLineColor(grid);
  a->setLinePenColor(grid);
}

}  // namespace tempyra
