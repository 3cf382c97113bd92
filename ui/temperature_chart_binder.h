#pragma once
// Fills a QML ChartView with the CPU and GPU temperature means as unconnected dots, in the
// chosen unit. Redraws when the history, the unit or the theme changes.
#include <QObject>
#include <QPointer>
#include <QtQml/qqmlregistration.h>

namespace tempyra {

class TemperatureChartBinder : public QObject {
  Q_OBJECT
  QML_ELEMENT
  Q_PROPERTY(QObject* chart MEMBER chart_ WRITE setChart NOTIFY chartChanged)
  Q_PROPERTY(QObject* axisX MEMBER axisX_ NOTIFY chartChanged)
  Q_PROPERTY(QObject* axisY MEMBER axisY_ NOTIFY chartChanged)

 public:
  explicit TemperatureChartBinder(QObject* parent = nullptr);

  void setChart(QObject* chart);
  Q_INVOKABLE void redraw();

 signals:
  void chartChanged();

 private:
  QPointer<QObject> chart_;
  QPointer<QObject> axisX_;
  QPointer<QObject> axisY_;
};

}  // namespace tempyra
