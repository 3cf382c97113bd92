#pragma once
// The Sensors page: the device profile, its capability matrix and every metric of the reading
// with its provenance.
#include <QList>
#include <QtQml/qqmlregistration.h>

#include "ui/models/page_model.h"
#include "ui/models/value_row.h"

namespace tempyra {

// One metric: name, shown value, source and, with advanced provenance on, its quality line.
struct MetricRow {
  Q_GADGET
  QML_VALUE_TYPE(metricRow)
  Q_PROPERTY(QString name MEMBER name FINAL)
  Q_PROPERTY(QString value MEMBER value FINAL)
  Q_PROPERTY(QString source MEMBER source FINAL)
  Q_PROPERTY(QString quality MEMBER quality FINAL)  // empty: no line

 public:
  QString name;
  QString value;
  QString source;
  QString quality;
  friend bool operator==(const MetricRow&, const MetricRow&) = default;
};

class SensorsModel : public tempyra::PageModel {
  Q_OBJECT
  QML_ELEMENT
  QML_UNCREATABLE("Owned by the dashboard")
  Q_PROPERTY(QString model READ model NOTIFY changed FINAL)
  Q_PROPERTY(QString architecture READ architecture NOTIFY changed FINAL)
  Q_PROPERTY(QString os READ os NOTIFY changed FINAL)
  Q_PROPERTY(QString fans READ fans NOTIFY changed FINAL)
  Q_PROPERTY(QList<tempyra::ValueRow> capabilities READ capabilities NOTIFY changed FINAL)
  Q_PROPERTY(QList<tempyra::MetricRow> metrics READ metrics NOTIFY changed FINAL)

 public:
  using PageModel::PageModel;

  QString model() const { return v_.model; }
  QString architecture() const { return v_.architecture; }
  QString os() const { return v_.os; }
  QString fans() const { return v_.fans; }
  QList<ValueRow> capabilities() const { return v_.capabilities; }
  QList<MetricRow> metrics() const { return v_.metrics; }

  void refresh(const MonitorSurface& monitor) override;
  void clear() override;

 private:
  struct View {
    QString model, architecture, os, fans;
    QList<ValueRow> capabilities;
    QList<MetricRow> metrics;
    friend bool operator==(const View&, const View&) = default;
  };

  View v_;
};

}  // namespace tempyra
