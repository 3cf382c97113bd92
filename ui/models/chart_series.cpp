#include "ui/models/chart_series.h"

#include <QAbstractAxis>
#include <QDateTime>
#include <QDateTimeAxis>
#include <QMetaEnum>
#include <QMetaObject>
#include <QXYSeries>

namespace tempyra {

namespace {

int seriesType(QObject* chart, const char* key) {
  const QMetaObject* mo = chart->metaObject();
  const int e = mo->indexOfEnumerator("SeriesType");
  return e < 0 ? -1 : mo->enumerator(e).keyToValue(key);
}

}  // namespace

void clearSeries(QObject* chart) {
  if (chart) QMetaObject::invokeMethod(chart, "removeAllSeries");
}

QXYSeries* addSeries(QObject* chart, SeriesKind kind, const QString& name, QObject* axisX,
                     QObject* axisY) {
  if (!chart) return nullptr;
  const int type =
      seriesType(chart, kind == SeriesKind::line ? "SeriesTypeLine" : "SeriesTypeScatter");
  if (type < 0) return nullptr;
  QAbstractSeries* series = nullptr;
  QMetaObject::invokeMethod(chart, "createSeries", Q_RETURN_ARG(QAbstractSeries*, series),
                            Q_ARG(int, type), Q_ARG(QString, name),
                            Q_ARG(QAbstractAxis*, qobject_cast<QAbstractAxis*>(axisX)),
                            Q_ARG(QAbstractAxis*, qobject_cast<QAbstractAxis*>(axisY)));
  return qobject_cast<QXYSeries*>(series);
}

void setTimeAxis(QObject* axis, double first, double last) {
  auto* a = qobject_cast<QDateTimeAxis*>(axis);
  if (!a) return;
  if (last <= first) {
    first -= 60;
    last += 60;
  }
  const double pad = (last - first) * 0.03;
  a->setRange(QDateTime::fromMSecsSinceEpoch(static_cast<qint64>((first - pad) * 1000)),
              QDateTime::fromMSecsSinceEpoch(static_cast<qint64>((last + pad) * 1000)));
  a->setFormat(last - first > 2 * 86400 ? QStringLiteral("d MMM") : QStringLiteral("HH:mm"));
  a->setTickCount(6);
}

void styleAxis(QObject* axis, const QColor& labels, const QColor& grid) {
  auto* a = qobject_cast<QAbstractAxis*>(axis);
  if (!a) return;
  a->setLabelsColor(labels);
  a->setTitleBrush(labels);
  a->setGridLineColor(grid);
  a->setLinePenColor(grid);
}

}  // namespace tempyra
