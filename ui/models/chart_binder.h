#pragma once
// Fills a QML ChartView from C++: the view hands over the chart, its two axes, the dashboard
// model whose loaded history it draws and the theme, and the binder draws when any of them
// changes, when the dashboard's chart data changes and when the theme changes.
#include <QObject>
#include <QPointer>
#include <QtQml/qqmlregistration.h>

#include "ui/models/dashboard_model.h"
#include "ui/models/theme.h"

namespace tempyra {

class ChartBinder : public QObject {
  Q_OBJECT
  QML_ANONYMOUS
  Q_PROPERTY(QObject* chart MEMBER chart_ WRITE setChart NOTIFY chartChanged FINAL)
  Q_PROPERTY(QObject* axisX MEMBER axisX_ NOTIFY chartChanged FINAL)
  Q_PROPERTY(QObject* axisY MEMBER axisY_ NOTIFY chartChanged FINAL)
  Q_PROPERTY(tempyra::DashboardModel* dashboard MEMBER dashboard_ WRITE setDashboard NOTIFY
                 chartChanged FINAL)
  Q_PROPERTY(tempyra::Theme* theme MEMBER theme_ WRITE setTheme NOTIFY chartChanged FINAL)

 public:
  explicit ChartBinder(QObject* parent = nullptr);

  void setChart(QObject* chart);
  void setDashboard(DashboardModel* dashboard);
  void setTheme(Theme* theme);
  Q_INVOKABLE void redraw();

 signals:
  void chartChanged();

 protected:
  // Draws the dashboard's chart data in the theme's colours.
  virtual void draw(const DashboardModel&, const Theme&) {}
  // The chart and both axes are there to draw into.
  bool ready() const { return chart_ && axisX_ && axisY_; }

  QPointer<QObject> chart_;
  QPointer<QObject> axisX_;
  QPointer<QObject> axisY_;
  QPointer<DashboardModel> dashboard_;
  QPointer<Theme> theme_;
};

}  // namespace tempyra
