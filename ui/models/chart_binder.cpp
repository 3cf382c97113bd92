#include "ui/models/chart_binder.h"

#include "ui/models/monitor_port.h"
#include "ui/models/ui_context.h"

namespace tempyra {

ChartBinder::ChartBinder(QObject* parent) : QObject(parent) {
  if (UiContext* ui = UiContext::instance()) {
    connect(&ui->port(), &MonitorPort::historyChanged, this, &ChartBinder::redraw);
    connect(ui->theme(), &Theme::changed, this, &ChartBinder::redraw);
  }
  connect(this, &ChartBinder::chartChanged, this, &ChartBinder::redraw);
}

void ChartBinder::setChart(QObject* chart) {
  if (chart_ == chart) return;
  chart_ = chart;
  emit chartChanged();
}

void ChartBinder::redraw() {
  if (UiContext* ui = UiContext::instance()) draw(*ui);
}

}  // namespace tempyra
