#pragma once
// One dashboard page's view model: built from the monitor while its page is shown, empty
// otherwise, so a page that is not on screen holds nothing.
#include <QObject>
#include <QtQml/qqmlregistration.h>

namespace tempyra {

class MonitorSurface;

class PageModel : public QObject {
  Q_OBJECT
  QML_ANONYMOUS

 public:
  using QObject::QObject;

  virtual void refresh(const MonitorSurface& monitor) = 0;
  virtual void clear() = 0;

 signals:
  void changed();
};

}  // namespace tempyra
