#pragma once
// The Overview page: state, advice headline, CPU load, power and the group-mean sensor rows.
#include <QList>
#include <QtQml/qqmlregistration.h>

#include "ui/models/page_model.h"
#include "ui/models/theme.h"
#include "ui/models/value_row.h"

namespace tempyra {

class OverviewModel : public tempyra::PageModel {
  Q_OBJECT
  QML_ELEMENT
  QML_UNCREATABLE("Owned by the dashboard")
  Q_PROPERTY(QString symbol READ symbol NOTIFY changed FINAL)
  Q_PROPERTY(tempyra::Theme::Tint tint READ tint NOTIFY changed FINAL)
  Q_PROPERTY(QString title READ title NOTIFY changed FINAL)
  Q_PROPERTY(QString headline READ headline NOTIFY changed FINAL)
  Q_PROPERTY(QString cpu READ cpu NOTIFY changed FINAL)
  Q_PROPERTY(QString powerSource READ powerSource NOTIFY changed FINAL)
  Q_PROPERTY(QString battery READ battery NOTIFY changed FINAL)
  Q_PROPERTY(QString charging READ charging NOTIFY changed FINAL)
  Q_PROPERTY(QList<tempyra::ValueRow> sensors READ sensors NOTIFY changed FINAL)
  // One line for a machine without thermal level or temperatures, pointing to Sensors; empty
  // when the reading shows more (or there is none).
  Q_PROPERTY(QString littleToShow READ littleToShow NOTIFY changed FINAL)
  // "While you were away: …"; empty when there is nothing to tell.
  Q_PROPERTY(QString away READ away NOTIFY changed FINAL)

 public:
  using PageModel::PageModel;

  QString symbol() const { return v_.symbol; }
  Theme::Tint tint() const { return v_.tint; }
  QString title() const { return v_.title; }
  QString headline() const { return v_.headline; }
  QString cpu() const { return v_.cpu; }
  QString powerSource() const { return v_.powerSource; }
  QString battery() const { return v_.battery; }
  QString charging() const { return v_.charging; }
  QList<ValueRow> sensors() const { return v_.sensors; }
  QString away() const { return v_.away; }
  QString littleToShow() const { return v_.littleToShow; }

  void refresh(const MonitorSurface& monitor);
  void clear();

 signals:
  void changed();

 private:
  struct View {
    QString symbol;
    Theme::Tint tint = Theme::Tint::Secondary;
    QString title, headline, cpu, powerSource, battery, charging, away, littleToShow;
    QList<ValueRow> sensors;
    friend bool operator==(const View&, const View&) = default;
  };

  View v_;
};

}  // namespace tempyra
