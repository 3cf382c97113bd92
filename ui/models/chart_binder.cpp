#include "ui/models/chart_binder.h"

namespace tempyra {

ChartBinder::ChartBinder(QObject* parent) : QObject(parent) {
  connect(this, &ChartBinder::chartChanged, this, &ChartBinder::redraw);
}

void ChartBinder::setChart(QObject* chart) {
  if (chart_ == chart) return;
  chart_ = chart;
  emit chartChanged();
}

void ChartBinder::setDashboard(DashboardModel* dashboard) {
  if (dashboard_ == dashboard) return;
  if (dashboard_) disconnect(dashboard_, nullptr, this, nullptr);
  dashboard_ = dashboard;
  if (dashboard_) connect(dashboard_, &DashboardModel::chartsChanged, this, &ChartBinder::redraw);
  emit chartChanged();
}

void ChartBinder::setTheme(Theme* theme) {
  if (theme_ == theme) return;
  if (theme_) disconnect(theme_, nullptr, this, nullptr);
  theme_ = theme;
  if (theme_) connect(theme_, &Theme::changed, this, &ChartBinder::redraw);
  emit chartChanged();
}

void ChartBinder::redraw() {
  if (dashboard_ && theme_) draw(*dashboard_, *theme_);
}

}  // namespace tempyra
