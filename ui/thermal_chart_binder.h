#pragma once
// Fills a QML ChartView with the thermal state chart: one blue line per monitoring segment,
// dots in the state colours, a fixed 0–3 axis labelled with the state titles and, when asked,
// dashed markers for the newest power changes. Redraws when the history or the theme changes.
#include <QObject>
#include <QPointer>
#include <QtQml/qqmlregistration.h>

namespace tempyra {

class ThermalChartBinder : public QObject {
  Q_OBJECT
  QML_ELEMENT
  Q_PROPERTY(QObject* chart MEMBER chart_ WRITE setChart NOTIFY chartChanged)
  Q_PROPERTY(QObject* axisX MEMBER axisX_ NOTIFY chartChanged)
  Q_PROPERTY(QObject* axisY MEMBER axisY_ NOTIFY chartChanged)
  Q_PROPERTY(bool powerMarkers MEMBER powerMarkers_ NOTIFY chartChanged)
  // No readings at all: the view shows its placeholder instead of the chart.
  Q_PROPERTY(bool placeholder READ placeholder NOTIFY placeholderChanged)

 public:
  explicit ThermalChartBinder(QObject* parent = nullptr);

  void setChart(QObject* chart);
  bool placeholder() const { return placeholder_; }
  Q_INVOKABLE void redraw();

 signals:
  void chartChanged();
  void placeholderChanged();

 private:
  QPointer<QObject> chart_;
  QPointer<QObject> axisX_;
  QPointer<QObject> axisY_;
  bool powerMarkers_ = false;
  bool placeholder_ = true;
};

}  // namespace tempyra
