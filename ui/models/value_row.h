#pragma once
// One "name: value" line of a page: a sensor and its value, a capability and its description.
#include <QObject>
#include <QString>
#include <QtQml/qqmlregistration.h>

namespace tempyra {

struct ValueRow {
  Q_GADGET
  QML_VALUE_TYPE(valueRow)
  Q_PROPERTY(QString name MEMBER name FINAL)
  Q_PROPERTY(QString value MEMBER value FINAL)

 public:
  QString name;
  QString value;
  friend bool operator==(const ValueRow&, const ValueRow&) = default;
};

}  // namespace tempyra
