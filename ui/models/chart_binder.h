#pragma once
// Fills a QML ChartView from C++: the view hands over the chart and its two axes, and the binder
// draws when they change, when the monitor publishes new history and when the theme changes.
#include <QObject>
#include <QPointer>
#include <QtQml/qqmlregistration.h>

namespace tempyra {

class UiContext;

class ChartBinder : public QObject {
  Q_OBJECT
  QML_ANONYMOUS
  Q_PROPERTY(QObject* chart MEMBER chart_ WRITE setChart NOTIFY chartChanged FINAL)
  Q_PROPERTY(QObject* axisX MEMBER axisX_ NOTIFY chartChanged FINAL)
  Q_PROPERTY(QObject* axisY MEMBER axisY_ NOTIFY chartChanged FINAL)

 public:
  explicit ChartBinder(QObject* parent = nullptr);

  void setChart(QObject* chart);
  Q_INVOKABLE void redraw();

 signals:
  void chartChanged();

 protected:
  // Draws from the monitor's state, when the interface exists.
  virtual void draw(UiContext&) {}
  // The chart and both axes are there to draw into.
  bool ready() const { return chart_ && axisX_ && axisY_; }

  QPointer<QObject> chart_;
  QPointer<QObject> axisX_;
  QPointer<QObject> axisY_;
};

}  // namespace tempyra
