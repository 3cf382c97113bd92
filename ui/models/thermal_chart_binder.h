#pragma once
// The thermal state chart: one blue line per monitoring segment, dots in the state colours, a
// fixed 0–3 axis labelled with the state titles and, when asked, dashed markers for the newest
// power changes.
#include <QtQml/qqmlregistration.h>

#include "ui/models/chart_binder.h"

namespace tempyra {

class ThermalChartBinder : public tempyra::ChartBinder {
  Q_OBJECT
  QML_ELEMENT
  Q_PROPERTY(bool powerMarkers MEMBER powerMarkers_ NOTIFY chartChanged)
  // No readings at all: the view shows its placeholder instead of the chart.
  Q_PROPERTY(bool placeholder READ placeholder NOTIFY placeholderChanged)

 public:
  using ChartBinder::ChartBinder;
  bool placeholder() const { return placeholder_; }

 signals:
  void placeholderChanged();

 protected:
  void draw(UiContext& ui) override;

 private:
  bool powerMarkers_ = false;
  bool placeholder_ = true;
};

}  // namespace tempyra
