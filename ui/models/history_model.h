#pragma once
// The History page: time per state, recent events, the temperature summary and the heat
// episodes with the chosen one. The range picker belongs to the dashboard; the charts draw
// themselves (ThermalChartBinder, TemperatureChartBinder).
#include <QList>
#include <QtQml/qqmlregistration.h>

#include <limits>

#include "ui/models/page_model.h"
#include "ui/models/theme.h"

namespace tempyra {

// Time spent in one thermal state ("1h 2m 5s").
struct DurationRow {
  Q_GADGET
  QML_VALUE_TYPE(durationRow)
  Q_PROPERTY(QString title MEMBER title FINAL)
  Q_PROPERTY(QString text MEMBER text FINAL)

 public:
  QString title;
  QString text;
  friend bool operator==(const DurationRow&, const DurationRow&) = default;
};

// One recorded event as listed: its time as date and time of day, its kind and detail.
struct EventLine {
  Q_GADGET
  QML_VALUE_TYPE(eventLine)
  Q_PROPERTY(QString time MEMBER time FINAL)
  Q_PROPERTY(QString kind MEMBER kind FINAL)
  Q_PROPERTY(QString detail MEMBER detail FINAL)

 public:
  QString time;
  QString kind;
  QString detail;
  friend bool operator==(const EventLine&, const EventLine&) = default;
};

// One heat episode as listed, with its span for marking it on the thermal chart.
struct EpisodeRow {
  Q_GADGET
  QML_VALUE_TYPE(episodeRow)
  Q_PROPERTY(QString text MEMBER text FINAL)
  // The highest state's Theme.Tint. An int: QML reads an enum of another class in a list row
  // (a value type) as 0.
  Q_PROPERTY(int tint MEMBER tint FINAL)
  Q_PROPERTY(bool brief MEMBER brief FINAL)
  Q_PROPERTY(double start MEMBER start FINAL)
  Q_PROPERTY(double end MEMBER end FINAL)

 public:
  QString text;
  int tint = static_cast<int>(Theme::Tint::Secondary);
  bool brief = false;
  double start = 0;  // seconds since 1970; identifies the episode across reloads
  double end = 0;
  friend bool operator==(const EpisodeRow&, const EpisodeRow&) = default;
};

class HistoryModel : public tempyra::PageModel {
  Q_OBJECT
  QML_ELEMENT
  QML_UNCREATABLE("Owned by the dashboard")
  Q_PROPERTY(QList<tempyra::DurationRow> durations READ durations NOTIFY changed FINAL)
  Q_PROPERTY(QList<tempyra::EventLine> events READ events NOTIFY changed FINAL)  // newest first
  Q_PROPERTY(bool hasTemperatures READ hasTemperatures NOTIFY changed FINAL)
  Q_PROPERTY(QString temperatureSummary READ temperatureSummary NOTIFY changed FINAL)
  // newest first
  Q_PROPERTY(QList<tempyra::EpisodeRow> episodes READ episodes NOTIFY changed FINAL)
  // The chosen episode, by its start (NaN: none), and its span as loaded now (NaN when it is
  // not among the rows): the thermal chart marks that span.
  Q_PROPERTY(double selectedStart READ selectedStart WRITE select NOTIFY changed FINAL)
  Q_PROPERTY(double bandStart READ bandStart NOTIFY changed FINAL)
  Q_PROPERTY(double bandEnd READ bandEnd NOTIFY changed FINAL)

 public:
  using PageModel::PageModel;

  QList<DurationRow> durations() const { return v_.durations; }
  QList<EventLine> events() const { return v_.events; }
  bool hasTemperatures() const { return v_.hasTemperatures; }
  QString temperatureSummary() const { return v_.temperatureSummary; }
  QList<EpisodeRow> episodes() const { return v_.episodes; }
  double selectedStart() const { return selected_; }
  double bandStart() const;
  double bandEnd() const;
  void select(double start);

  void refresh(const MonitorSurface& monitor) override;
  void clear() override;

 private:
  struct View {
    QList<DurationRow> durations;
    QList<EventLine> events;
    bool hasTemperatures = false;
    QString temperatureSummary;
    QList<EpisodeRow> episodes;
    friend bool operator==(const View&, const View&) = default;
  };

  const EpisodeRow* selectedRow() const;

  View v_;
  double selected_ = std::numeric_limits<double>::quiet_NaN();
};

}  // namespace tempyra
