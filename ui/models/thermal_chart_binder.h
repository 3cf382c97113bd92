#pragma once
// The thermal state chart: one blue line per monitoring segment, dots in the state colours, a
// fixed 0–3 axis labelled with the state titles and, when asked, dashed markers for the newest
// power changes, and a highlighted band over a chosen span.
#include <QtQml/qqmlregistration.h>

#include <limits>

#include "ui/models/chart_binder.h"

namespace tempyra {

class ThermalChartBinder : public tempyra::ChartBinder {
  Q_OBJECT
  QML_ELEMENT
  Q_PROPERTY(bool powerMarkers MEMBER powerMarkers_ NOTIFY chartChanged FINAL)
  // A span to highlight, seconds since 1970 (NaN: none), e.g. the chosen heat episode.
  Q_PROPERTY(double bandStart MEMBER bandStart_ NOTIFY chartChanged FINAL)
  Q_PROPERTY(double bandEnd MEMBER bandEnd_ NOTIFY chartChanged FINAL)
  // No readings at all: the view shows its placeholder instead of the chart.
  Q_PROPERTY(bool placeholder READ placeholder NOTIFY placeholderChanged FINAL)
  // Readings, but none with a known state: the empty axes stay and a caption says so.
  Q_PROPERTY(bool unobserved READ unobserved NOTIFY placeholderChanged FINAL)

 public:
  using ChartBinder::ChartBinder;
  bool placeholder() const { return placeholder_; }
  bool unobserved() const { return unobserved_; }

 signals:
  void placeholderChanged();

 protected:
  void draw(const DashboardModel& dashboard, const Theme& theme) override;

 private:
  bool powerMarkers_ = false;
  bool placeholder_ = true;
  bool unobserved_ = false;
  double bandStart_ = std::numeric_limits<double>::quiet_NaN();
  double bandEnd_ = std::numeric_limits<double>::quiet_NaN();
};

}  // namespace tempyra
