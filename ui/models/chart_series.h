#pragma once
// Adds series to a QML ChartView from C++ through its invokable interface.
#include <QColor>
#include <QString>

class QObject;
class QAbstractAxis;
class QXYSeries;

namespace tempyra {

enum class SeriesKind { line, scatter };

// Removes every series of the chart.
void clearSeries(QObject* chart);
// A new series on the two axes, or nullptr when `chart` is no ChartView.
QXYSeries* addSeries(QObject* chart, SeriesKind kind, const QString& name, QObject* axisX,
                     QObject* axisY);
// Time axis range and label format for a span of time points (seconds since 1970).
void setTimeAxis(QObject* axis, double first, double last);
// Axis colours for the current scheme.
void styleAxis(QObject* axis, const QColor& labels, const QColor& grid);

}  // namespace tempyra
