#pragma once
// Fresh identifiers for monitoring segments and notifications.
#include <QUuid>

#include <string>

namespace tempyra {

// A fresh random UUID in its canonical upper-case text form.
inline std::string freshUuid() {
  return QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper().toStdString();
}

}  // namespace tempyra
