#pragma once
// The Thermal Intelligence page: the advice, its evidence and what each state means.
#include <QList>
#include <QStringList>
#include <QtQml/qqmlregistration.h>

#include "ui/models/page_model.h"
#include "ui/models/theme.h"

namespace tempyra {

// One thermal state with its colour, title and explanation.
struct StateRow {
  Q_GADGET
  QML_VALUE_TYPE(stateRow)
  // The state's Theme.Tint, as an int like every list row's (see EpisodeRow).
  Q_PROPERTY(int tint MEMBER tint FINAL)
  Q_PROPERTY(QString title MEMBER title FINAL)
  Q_PROPERTY(QString explanation MEMBER explanation FINAL)

 public:
  int tint = static_cast<int>(Theme::Tint::Secondary);
  QString title;
  QString explanation;
  friend bool operator==(const StateRow&, const StateRow&) = default;
};

class IntelligenceModel : public tempyra::PageModel {
  Q_OBJECT
  QML_ELEMENT
  QML_UNCREATABLE("Owned by the dashboard")
  Q_PROPERTY(QString headline READ headline NOTIFY changed FINAL)
  Q_PROPERTY(QString detail READ detail NOTIFY changed FINAL)
  Q_PROPERTY(QStringList evidence READ evidence NOTIFY changed FINAL)
  // Every state in declaration order, nominal to unknown.
  Q_PROPERTY(QList<tempyra::StateRow> states READ states CONSTANT FINAL)

 public:
  explicit IntelligenceModel(QObject* parent = nullptr);

  QString headline() const { return v_.headline; }
  QString detail() const { return v_.detail; }
  QStringList evidence() const { return v_.evidence; }
  QList<StateRow> states() const { return states_; }

  void refresh(const MonitorSurface& monitor) override;
  void clear() override;

 private:
  struct View {
    QString headline, detail;
    QStringList evidence;
    friend bool operator==(const View&, const View&) = default;
  };

  View v_;
  QList<StateRow> states_;
};

}  // namespace tempyra
