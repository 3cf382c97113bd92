#pragma once
// Adds series to a QML ChartView from C++ through its invokable interface.
#include <QColor>
#include <QString>

class QObject;
class QAbstractAxis;
class QXYSeries;
class QAreaSeries;

namespace tempyra {

enum class SeriesKind { line, scatter };

// Removes every series of the chart.
void clearSeries(QObject* chart);
// A new series on the two axes, or nullptr when `chart` is no ChartView.
QXYSeries* addSeries(QObject* chart, SeriesKind kind, const QString& name, QObject* axisX,
                     QObject* axisY);
// A new area series on the two axes, filled from its upper line down to the lowest value, or
// nullptr when `chart` is no ChartView.
QAreaSeries* addArea(QObject* chart, const QString& name, QObject* axisX, QObject* axisY);
// A category axis over time (milliseconds since 1970) showing the span of time points `first`
// to `last` (seconds since 1970), marked on round local times.
void setTimeAxis(QObject* axis, double first, double last);
// A value axis showing `low` to `high` on round steps.
void setValueAxis(QObject* axis, double low, double high);
// Axis colours for the current scheme: tick labels, the axis title, grid and axis lines.
void styleAxis(QObject* axis, const QColor& labels, const QColor& title, const QColor& grid);

}  // namespace tempyra
