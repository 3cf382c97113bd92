#include "ui/shell/dbus_menu.h"

#include <QDBusAbstractAdaptor>
#include <QDBusMetaType>
#include <QDBusVariant>
#include <QTimer>

#include "ui/shell/tray_model.h"

namespace tempyra {

namespace {

// Separators take ids of their own, apart from the entries' (1, 2, …).
constexpr int kSeparatorIds = 100;

// Hosts read one underscore as the mnemonic mark; a plain one is written twice.
QString menuLabel(const QString& label) {
  QString out = label;
  return out.replace(QLatin1Char('_'), QStringLiteral("__"));
}

}  // namespace

QDBusArgument& operator<<(QDBusArgument& a, const DBusMenuLayout& item) {
  a.beginStructure();
  a << item.id << item.properties;
  a.beginArray(qMetaTypeId<QDBusVariant>());
  for (const DBusMenuLayout& child : item.children) {
    a << QDBusVariant(QVariant::fromValue(child));
  }
  a.endArray();
  a.endStructure();
  return a;
}

const QDBusArgument& operator>>(const QDBusArgument& a, DBusMenuLayout& item) {
  a.beginStructure();
  a >> item.id >> item.properties;
  item.children.clear();
  a.beginArray();
  while (!a.atEnd()) {
    QDBusVariant child;
    a >> child;
    item.children << qdbus_cast<DBusMenuLayout>(child.variant());
  }
  a.endArray();
  a.endStructure();
  return a;
}

QDBusArgument& operator<<(QDBusArgument& a, const DBusMenuProperties& item) {
  a.beginStructure();
  a << item.id << item.properties;
  a.endStructure();
  return a;
}

const QDBusArgument& operator>>(const QDBusArgument& a, DBusMenuProperties& item) {
  a.beginStructure();
  a >> item.id >> item.properties;
  a.endStructure();
  return a;
}

QDBusArgument& operator<<(QDBusArgument& a, const DBusMenuEvent& event) {
  a.beginStructure();
  a << event.id << event.eventId << event.data << event.timestamp;
  a.endStructure();
  return a;
}

const QDBusArgument& operator>>(const QDBusArgument& a, DBusMenuEvent& event) {
  a.beginStructure();
  a >> event.id >> event.eventId >> event.data >> event.timestamp;
  a.endStructure();
  return a;
}

// The com.canonical.dbusmenu interface (version 3) over DBusMenu.
class DBusMenuAdaptor : public QDBusAbstractAdaptor {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "com.canonical.dbusmenu")
  Q_PROPERTY(uint Version READ version)
  Q_PROPERTY(QString TextDirection READ textDirection)
  Q_PROPERTY(QString Status READ status)
  Q_PROPERTY(QStringList IconThemePath READ iconThemePath)

 public:
  explicit DBusMenuAdaptor(DBusMenu* menu) : QDBusAbstractAdaptor(menu), menu_(menu) {}

  uint version() const { return 3; }
  QString textDirection() const { return QStringLiteral("ltr"); }
  QString status() const { return QStringLiteral("normal"); }
  QStringList iconThemePath() const { return {}; }

 public slots:
  uint GetLayout(int parentId, int, const QStringList&, tempyra::DBusMenuLayout& layout) {
    const DBusMenuLayout root = menu_->layout();
    layout = root;
    for (const DBusMenuLayout& child : root.children) {
      if (child.id == parentId) layout = child;
    }
    if (layout.id != parentId) layout = {parentId, {}, {}};
    return menu_->revision_;
  }
  QList<tempyra::DBusMenuProperties> GetGroupProperties(const QList<int>& ids,
                                                        const QStringList& names) {
    QList<DBusMenuProperties> out;
    const DBusMenuLayout root = menu_->layout();
    for (const DBusMenuLayout& item : QList<DBusMenuLayout>{root} + root.children) {
      if (!ids.isEmpty() && !ids.contains(item.id)) continue;
      DBusMenuProperties p{item.id, item.properties};
      if (!names.isEmpty()) {
        for (auto it = p.properties.begin(); it != p.properties.end();) {
          it = names.contains(it.key()) ? std::next(it) : p.properties.erase(it);
        }
      }
      out << p;
    }
    return out;
  }
  QDBusVariant GetProperty(int id, const QString& name) {
    for (const DBusMenuProperties& p : GetGroupProperties({id}, {name})) {
      if (p.properties.contains(name)) return QDBusVariant(p.properties.value(name));
    }
    return QDBusVariant(QString());
  }
  void Event(int id, const QString& eventId, const QDBusVariant&, uint) {
    if (eventId == QLatin1String("clicked")) menu_->choose(id);
  }
  QList<int> EventGroup(const QList<tempyra::DBusMenuEvent>& events) {
    QList<int> unknown;
    for (const DBusMenuEvent& e : events) {
      if (e.id < 1 || e.id > menu_->labels_.size()) {
        unknown << e.id;
      } else {
        Event(e.id, e.eventId, e.data, e.timestamp);
      }
    }
    return unknown;
  }
  bool AboutToShow(int) { return false; }
  QList<int> AboutToShowGroup(const QList<int>&, QList<int>& idErrors) {
    idErrors.clear();
    return {};
  }

 signals:
  void LayoutUpdated(uint revision, int parent);
  void ItemActivationRequested(int id, uint timestamp);

 private:
  DBusMenu* menu_;
};

DBusMenu::DBusMenu(QDBusConnection bus, TrayModel& tray, QObject* parent)
    : QObject(parent), bus_(std::move(bus)), tray_(tray) {
  qDBusRegisterMetaType<DBusMenuLayout>();
  qDBusRegisterMetaType<QList<DBusMenuProperties>>();
  qDBusRegisterMetaType<DBusMenuProperties>();
  qDBusRegisterMetaType<DBusMenuEvent>();
  qDBusRegisterMetaType<QList<DBusMenuEvent>>();
  adaptor_ = new DBusMenuAdaptor(this);
  for (const TrayMenuEntry& e : tray_.trayMenu()) labels_ << e.label;
  connect(&tray_, &TrayModel::changed, this, &DBusMenu::entriesChanged);
  exported_ = bus_.isConnected() && bus_.registerObject(kPath, this, QDBusConnection::ExportAdaptors);
}

DBusMenu::~DBusMenu() {
  if (exported_) bus_.unregisterObject(kPath);
}

DBusMenuLayout DBusMenu::layout() const {
  DBusMenuLayout root{0, {{QStringLiteral("children-display"), QStringLiteral("submenu")}}, {}};
  const QList<TrayMenuEntry>& entries = tray_.trayMenu();
  for (int i = 0; i < entries.size(); ++i) {
    if (entries[i].separated) {
      root.children << DBusMenuLayout{
          kSeparatorIds + i, {{QStringLiteral("type"), QStringLiteral("separator")}}, {}};
    }
    root.children << DBusMenuLayout{i + 1,
                                    {{QStringLiteral("label"), menuLabel(entries[i].label)},
                                     {QStringLiteral("enabled"), true},
                                     {QStringLiteral("visible"), true}},
                                    {}};
  }
  return root;
}

void DBusMenu::choose(int id) {
  const QList<TrayMenuEntry>& entries = tray_.trayMenu();
  if (id < 1 || id > entries.size()) return;
  const TrayCommand command = entries[id - 1].command;
  QTimer::singleShot(0, this, [this, command] { tray_.run(command); });
}

void DBusMenu::entriesChanged() {
  QList<QString> labels;
  for (const TrayMenuEntry& e : tray_.trayMenu()) labels << e.label;
  if (labels == labels_) return;
  labels_ = labels;
  ++revision_;
  emit adaptor_->LayoutUpdated(revision_, 0);
}

}  // namespace tempyra

#include "dbus_menu.moc"
