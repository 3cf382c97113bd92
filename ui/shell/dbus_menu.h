#pragma once
// The tray icon's menu on the session bus (com.canonical.dbusmenu), for StatusNotifier hosts:
// the host draws it on a right click and tells us which entry was chosen. The entries are the
// tray model's menu; a change of a label (Pause to Resume) announces a new layout.
#include <QDBusArgument>
#include <QDBusConnection>
#include <QList>
#include <QObject>
#include <QVariantMap>

namespace tempyra {

class DBusMenuAdaptor;
class TrayModel;

// One entry and its children, as GetLayout sends them: (ia{sv}av).
struct DBusMenuLayout {
  int id = 0;
  QVariantMap properties;
  QList<DBusMenuLayout> children;
};

// One entry's properties, as GetGroupProperties sends them: (ia{sv}).
struct DBusMenuProperties {
  int id = 0;
  QVariantMap properties;
};

// One event of an EventGroup call: (isvu).
struct DBusMenuEvent {
  int id = 0;
  QString eventId;
  QDBusVariant data;
  uint timestamp = 0;
};

QDBusArgument& operator<<(QDBusArgument& a, const DBusMenuLayout& item);
const QDBusArgument& operator>>(const QDBusArgument& a, DBusMenuLayout& item);
QDBusArgument& operator<<(QDBusArgument& a, const DBusMenuProperties& item);
const QDBusArgument& operator>>(const QDBusArgument& a, DBusMenuProperties& item);
QDBusArgument& operator<<(QDBusArgument& a, const DBusMenuEvent& event);
const QDBusArgument& operator>>(const QDBusArgument& a, DBusMenuEvent& event);

class DBusMenu : public QObject {
  Q_OBJECT

 public:
  // Where the menu is on the bus, beside the StatusNotifierItem.
  static inline const QString kPath = QStringLiteral("/MenuBar");

  // REQUIRES: main thread; `tray` outlives the menu. Exports the menu at kPath on `bus`.
  DBusMenu(QDBusConnection bus, TrayModel& tray, QObject* parent = nullptr);
  ~DBusMenu() override;

  bool exported() const { return exported_; }

 private:
  friend class DBusMenuAdaptor;
  // The whole menu: the root (id 0) and one child per entry (ids from 1) and separator.
  DBusMenuLayout layout() const;
  // A chosen entry runs after the host's call has been answered.
  void choose(int id);
  void entriesChanged();

  QDBusConnection bus_;
  TrayModel& tray_;
  DBusMenuAdaptor* adaptor_ = nullptr;
  QList<QString> labels_;  // what the last layout showed
  uint revision_ = 1;
  bool exported_ = false;
};

}  // namespace tempyra

Q_DECLARE_METATYPE(tempyra::DBusMenuLayout)
Q_DECLARE_METATYPE(tempyra::DBusMenuProperties)
Q_DECLARE_METATYPE(tempyra::DBusMenuEvent)
