#pragma once
// The tray item as a StatusNotifierItem on the session bus: our drawn icon, the title as a text
// label beside it where the host shows one (XAyatanaLabel), a tooltip, clicks, and the menu the
// host draws on a right click. It registers with the StatusNotifierWatcher at once and again
// whenever a watcher appears.
#include <QDBusConnection>
#include <QImage>
#include <QList>
#include <QObject>
#include <QPoint>
#include <QString>

namespace tempyra {

class StatusNotifierItemAdaptor;

class StatusNotifierItem : public QObject {
  Q_OBJECT

 public:
  // REQUIRES: main thread. The first registration waits for the watcher's answer (bounded), so
  // registered() is true on return when a host shows the item. `menu`: the object path of the
  // item's com.canonical.dbusmenu menu on the same connection; empty: none.
  StatusNotifierItem(QDBusConnection bus, const QString& menu, QObject* parent = nullptr);
  ~StatusNotifierItem() override;

  // True while a watcher has taken the item and a host is there to show it.
  bool registered() const { return registered_; }
  // The service name the item is registered under.
  QString service() const { return service_; }

  // The icon at several sizes; hosts pick the one that suits them.
  void setIcon(const QList<QImage>& sizes);
  // The text beside the icon and the widest text it may become.
  void setLabel(const QString& label, const QString& guide);
  void setToolTip(const QString& title, const QString& description);

 signals:
  // A primary or middle click. `at` is the pointer's screen position in device pixels when the
  // host tells it, (0, 0) otherwise.
  void activated(QPoint at);
  // A host that draws no menu of its own asks for ours, at `at` as above.
  void contextMenuRequested(QPoint at);
  void registeredChanged(bool registered);

 private slots:
  // The watcher says a host came or went.
  void hostChanged();

 private:
  friend class StatusNotifierItemAdaptor;
  // Offers the item to the watcher; `wait` blocks (bounded) for the first answer.
  void registerWithWatcher(bool wait);
  void checkHost(bool wait);
  void setRegistered(bool registered);

  QDBusConnection bus_;
  QString service_;
  StatusNotifierItemAdaptor* adaptor_ = nullptr;
  bool registered_ = false;
  bool accepted_ = false;  // the watcher took the item
  QList<QImage> icon_;
  QString label_, guide_, toolTipTitle_, toolTipText_, menu_;
};

}  // namespace tempyra
