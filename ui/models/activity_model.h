#pragma once
// The Activity page: the busiest processes of the reading, or why there are none.
#include <QList>
#include <QtQml/qqmlregistration.h>

#include "ui/models/page_model.h"

namespace tempyra {

// One process and its CPU share ("153.2%").
struct ProcessRow {
  Q_GADGET
  QML_VALUE_TYPE(processRow)
  Q_PROPERTY(QString name MEMBER name FINAL)
  Q_PROPERTY(QString share MEMBER share FINAL)

 public:
  QString name;
  QString share;
  friend bool operator==(const ProcessRow&, const ProcessRow&) = default;
};

class ActivityModel : public tempyra::PageModel {
  Q_OBJECT
  QML_ELEMENT
  QML_UNCREATABLE("Owned by the dashboard")
  // Recording is off: only the notice is shown, whatever old readings carry.
  Q_PROPERTY(bool showDisabled READ showDisabled NOTIFY changed FINAL)
  // Recording is on but nothing was observable in this interval.
  Q_PROPERTY(bool showEmpty READ showEmpty NOTIFY changed FINAL)
  Q_PROPERTY(QList<tempyra::ProcessRow> rows READ rows NOTIFY changed FINAL)

 public:
  using PageModel::PageModel;

  bool showDisabled() const { return v_.showDisabled; }
  bool showEmpty() const { return v_.showEmpty; }
  QList<ProcessRow> rows() const { return v_.rows; }

  void refresh(const MonitorSurface& monitor) override;
  void clear() override;

 private:
  struct View {
    bool showDisabled = false;
    bool showEmpty = false;
    QList<ProcessRow> rows;
    friend bool operator==(const View&, const View&) = default;
  };

  View v_;
};

}  // namespace tempyra
