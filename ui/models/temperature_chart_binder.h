#pragma once
// The CPU and GPU temperature means as unconnected dots, in the chosen unit.
#include <QtQml/qqmlregistration.h>

#include "ui/models/chart_binder.h"

namespace tempyra {

class TemperatureChartBinder : public tempyra::ChartBinder {
  Q_OBJECT
  QML_ELEMENT

 public:
  using ChartBinder::ChartBinder;

 protected:
  void draw(const DashboardModel& dashboard, const Theme& theme) override;
};

}  // namespace tempyra
