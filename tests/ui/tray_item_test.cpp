// The tray item against a StatusNotifierWatcher on a private bus: what a host reads from the
// item and its menu, when the icon is drawn, and how the item follows the watcher.
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusPendingCall>
#include <QDBusPendingReply>
#include <QDBusVariant>
#include <QMutex>
#include <QThread>

#include <gtest/gtest.h>

#include <atomic>

#include "tests/app/private_bus.h"
#include "tests/ui/sni_pixmaps.h"
#include "tests/ui/fake_monitor.h"
#include "ui/shell/dbus_menu.h"
#include "ui/shell/tray_item.h"
#include "ui/shell/tray_model.h"

namespace tempyra {

// The watcher's side of the protocol. It runs on a thread of its own, so the item's blocking
// first registration is answered while the test's thread waits.
class FakeWatcher : public QObject {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierWatcher")
  Q_PROPERTY(bool IsStatusNotifierHostRegistered READ hostRegistered)

 public:
  std::atomic<bool> host{true};
  bool hostRegistered() const { return host; }
  QStringList items() const {
    QMutexLocker lock(&mutex_);
    return items_;
  }

 public slots:
  void RegisterStatusNotifierItem(const QString& service) {
    QMutexLocker lock(&mutex_);
    items_ << service;
  }

 private:
  mutable QMutex mutex_;
  QStringList items_;
};

// Counts the item's change signals as a host receives them.
class HostSide : public QObject {
  Q_OBJECT

 public:
  int icons = 0;
  int layouts = 0;
  QStringList labels;

 public slots:
  void newIcon() { ++icons; }
  void newLayout(uint, int) { ++layouts; }
  void newLabel(const QString& label, const QString&) { labels << label; }
};

namespace {

using testing::PrivateBus;
using testing::waitFor;

constexpr double kNow = 1'800'000'000;
const QString kItemInterface = QStringLiteral("org.kde.StatusNotifierItem");

Reading nominalReading(double cpu) {
  Reading r;
  r.timestamp = kNow - 5;
  r.state = ThermalState::nominal;
  r.cpu = Metric(MetricKind::cpuLoad, "CPU load", cpu, "%", "test", kNow - 5, "Measured");
  r.segment = "S1";
  return r;
}

// A watcher on the private bus, on its own thread.
class Watcher {
 public:
  explicit Watcher(PrivateBus& bus) : connection_(bus.connect("watcher")) {
    // Registered before the move, so what the bus attaches to it moves along.
    connection_.registerObject("/StatusNotifierWatcher", &watcher_,
                               QDBusConnection::ExportAllSlots |
                                   QDBusConnection::ExportAllProperties);
    thread_.start();
    watcher_.moveToThread(&thread_);
  }
  ~Watcher() {
    stop();
    connection_.unregisterObject("/StatusNotifierWatcher");
    thread_.quit();
    thread_.wait();
  }
  void start() { connection_.registerService("org.kde.StatusNotifierWatcher"); }
  void stop() { connection_.unregisterService("org.kde.StatusNotifierWatcher"); }
  FakeWatcher& fake() { return watcher_; }
  void announceHost() {
    watcher_.host = true;
    connection_.send(QDBusMessage::createSignal("/StatusNotifierWatcher",
                                                "org.kde.StatusNotifierWatcher",
                                                "StatusNotifierHostRegistered"));
  }

 private:
  QDBusConnection connection_;
  QThread thread_;
  FakeWatcher watcher_;
};

QDBusMessage callItem(QDBusConnection& host, const QString& service, const QString& interface,
                      const QString& method, const QVariantList& args,
                      const QString& path = "/StatusNotifierItem") {
  QDBusMessage call = QDBusMessage::createMethodCall(service, path, interface, method);
  call.setArguments(args);
  QDBusPendingCall pending = host.asyncCall(call);
  waitFor([&] { return pending.isFinished(); });
  return pending.reply();
}

QVariantMap properties(QDBusConnection& host, const QString& service) {
  const QDBusMessage reply = callItem(host, service, "org.freedesktop.DBus.Properties", "GetAll",
                                      {kItemInterface});
  if (reply.arguments().isEmpty()) return {};
  return qdbus_cast<QVariantMap>(reply.arguments().first());
}

class TrayItemTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!bus.ok()) GTEST_SKIP() << bus.error();
    monitor.live_.reading = nominalReading(12.4);
    monitor.live_.stale = false;
    model = std::make_unique<TrayModel>(monitor);
  }
  // A watcher with a host, then the tray item.
  void startHosted() {
    watcher = std::make_unique<Watcher>(bus);
    watcher->start();
    tray = std::make_unique<TrayItem>(*model, bus.connect("app"));
    service = watcher->fake().items().value(0);
  }

  PrivateBus bus;
  FakeMonitor monitor;
  std::unique_ptr<TrayModel> model;
  std::unique_ptr<Watcher> watcher;
  std::unique_ptr<TrayItem> tray;
  QString service;  // the item's, as the watcher received it
};

TEST_F(TrayItemTest, HostReadsTitleTooltipAndIconInNetworkByteOrder) {
  startHosted();
  ASSERT_TRUE(tray->shown());
  ASSERT_EQ(watcher->fake().items().size(), 1);
  QDBusConnection host = bus.connect("host");
  const QVariantMap p = properties(host, service);
  EXPECT_EQ(p["XAyatanaLabel"].toString(), "Nominal · 12% CPU");
  EXPECT_EQ(p["XAyatanaLabelGuide"].toString(), "Critical · 100% CPU");
  EXPECT_EQ(p["Status"].toString(), "Active");
  EXPECT_FALSE(p["ItemIsMenu"].toBool());
  EXPECT_EQ(qdbus_cast<QDBusObjectPath>(p["Menu"]).path(), DBusMenu::kPath);

  const QList<testing::SniPixmapData> icons = testing::sniPixmaps(p["IconPixmap"]);
  ASSERT_FALSE(icons.isEmpty());
  const testing::SniPixmapData& big = icons.last();
  ASSERT_EQ(big.argb.size(), big.width * big.height * 4);
  // Just inside the badge's top edge: the nominal green, alpha first.
  const int at = (6 * big.width + big.width / 2) * 4;
  EXPECT_EQ(big.argb.mid(at, 4), QByteArray("\xff\x28\xa7\x45", 4));
}

TEST_F(TrayItemTest, DrawsOnlyWhenWhatTheIconShowsChanges) {
  startHosted();
  QDBusConnection host = bus.connect("host");
  HostSide seen;
  host.connect(service, "/StatusNotifierItem", kItemInterface, "NewIcon", &seen,
               SLOT(newIcon()));
  host.connect(service, "/StatusNotifierItem", kItemInterface, "XAyatanaNewLabel", &seen,
               SLOT(newLabel(QString, QString)));
  properties(host, service);  // the match rules are in place once a call has been answered

  monitor.live_.now += 10;  // a later sample with the same figure
  monitor.publish();
  monitor.live_.reading = nominalReading(12.6);  // "13%"
  monitor.publish();
  Preferences iconOnly;
  iconOnly.menu = MenuMode::iconOnly;
  monitor.setPreferences(iconOnly);
  ASSERT_TRUE(waitFor([&] { return seen.labels.size() == 2; }));
  EXPECT_EQ(seen.labels, (QStringList{"Nominal · 13% CPU", ""}));
  EXPECT_EQ(tray->drawings(), 3);
  EXPECT_EQ(seen.icons, 2);
}

TEST_F(TrayItemTest, FollowsTheWatcherAndItsHost) {
  watcher = std::make_unique<Watcher>(bus);
  watcher->fake().host = false;
  tray = std::make_unique<TrayItem>(*model, bus.connect("app"));
  int appeared = 0;
  QObject::connect(tray.get(), &TrayItem::hostAppeared, [&] { ++appeared; });
  EXPECT_FALSE(tray->shown());

  watcher->start();  // a watcher without a host: nothing shows the item yet
  ASSERT_TRUE(waitFor([&] { return watcher->fake().items().size() == 1; }));
  testing::waitFor([] { return false; }, 200);
  EXPECT_FALSE(tray->shown());
  watcher->announceHost();
  ASSERT_TRUE(waitFor([&] { return tray->shown(); }));
  EXPECT_EQ(appeared, 1);
  watcher->stop();
  EXPECT_TRUE(waitFor([&] { return !tray->shown(); }));
}

TEST_F(TrayItemTest, ClicksAskForThePopoverNearWhereTheHostSays) {
  startHosted();
  int clicks = 0;
  QObject::connect(tray.get(), &TrayItem::clicked, [&] { ++clicks; });
  QDBusConnection host = bus.connect("host");
  callItem(host, service, kItemInterface, "Activate", {500, 10});
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(tray->clickedAt(), QPoint(500, 10));
  callItem(host, service, kItemInterface, "SecondaryActivate", {0, 0});  // a host that cannot say
  EXPECT_EQ(clicks, 2);
  EXPECT_EQ(tray->clickedAt(), std::nullopt);
  // A host without a menu of its own asks for ours: no popover.
  std::optional<QPoint> menuAt;
  QObject::connect(tray.get(), &TrayItem::menuRequested, [&](QPoint at) { menuAt = at; });
  callItem(host, service, kItemInterface, "ContextMenu", {500, 10});
  EXPECT_EQ(clicks, 2);
  EXPECT_EQ(menuAt, QPoint(500, 10));
}

QStringList menuLabels(QDBusConnection& host, const QString& service) {
  const QDBusMessage reply = callItem(host, service, "com.canonical.dbusmenu", "GetLayout",
                                      {0, -1, QStringList()}, DBusMenu::kPath);
  if (reply.arguments().size() != 2) return {"no layout: " + reply.errorMessage()};
  const auto root = qdbus_cast<DBusMenuLayout>(reply.arguments()[1]);
  QStringList out;
  for (const DBusMenuLayout& item : root.children) {
    out << item.properties.value("label", item.properties.value("type")).toString();
  }
  return out;
}

TEST_F(TrayItemTest, HostsMenuRunsTheTrayCommands) {
  startHosted();
  QDBusConnection host = bus.connect("host");
  HostSide seen;
  host.connect(service, DBusMenu::kPath, "com.canonical.dbusmenu", "LayoutUpdated", &seen,
               SLOT(newLayout(uint, int)));
  EXPECT_EQ(menuLabels(host, service),
            (QStringList{"Open Dashboard", "Pause Monitoring", "Snooze Alerts · 1 hour",
                         "separator", "Quit"}));
  int opened = 0, quit = 0;
  QObject::connect(model.get(), &TrayModel::openDashboardRequested, [&] { ++opened; });
  QObject::connect(model.get(), &TrayModel::quitRequested, [&] { ++quit; });
  const auto click = [&](int id) {
    callItem(host, service, "com.canonical.dbusmenu", "Event",
             {id, QString("clicked"), QVariant::fromValue(QDBusVariant(0)), 0u}, DBusMenu::kPath);
  };
  click(2);  // Pause Monitoring
  ASSERT_TRUE(waitFor([&] { return seen.layouts == 1; }));
  EXPECT_TRUE(monitor.live().paused);
  EXPECT_EQ(menuLabels(host, service).value(1), "Resume Monitoring");
  click(3);
  click(1);
  click(101);  // the separator does nothing
  click(4);
  ASSERT_TRUE(waitFor([&] { return quit == 1; }));
  EXPECT_EQ(opened, 1);
  EXPECT_EQ(monitor.setup().preferences.alerts.snoozeUntil, monitor.live().now + 3600);
}

}  // namespace
}  // namespace tempyra

#include "tray_item_test.moc"
