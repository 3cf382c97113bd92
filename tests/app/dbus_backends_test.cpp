// The bus backends against small fake services on a private bus: logind, the power-profiles
// daemon and a notification server.
#include <QDBusMessage>
#include <QObject>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>

#include "app/dbus_notification_center.h"
#include "app/linux_system_events.h"
#include "tests/app/fakes.h"
#include "tests/app/private_bus.h"

namespace tempyra::testing {

// The power-profiles daemon's one property the monitor reads.
class FakePowerProfiles : public QObject {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "net.hadess.PowerProfiles")
  Q_PROPERTY(QString ActiveProfile READ activeProfile)
 public:
  QString activeProfile() const { return profile; }
  QString profile = "power-saver";
};

// A notification server that keeps what it was asked to show.
class FakeNotificationServer : public QObject {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
 public slots:
  QString GetServerInformation(QString& vendor, QString& version, QString& specVersion) {
    vendor = "test", version = "1", specVersion = "1.2";
    return "fake";
  }
  uint Notify(const QString& appName, uint replacesId, const QString& appIcon,
              const QString& summary, const QString& body, const QStringList& actions,
              const QVariantMap& hints, int expireTimeout) {
    shown << QVariantList{appName, replacesId, appIcon, summary, body, actions, expireTimeout};
    lastHints = hints;
    return static_cast<uint>(shown.size());
  }

 public:
  QList<QVariantList> shown;
  QVariantMap lastHints;
};

namespace {

struct Counts {
  int thermal = 0, sleep = 0, wake = 0, clock = 0;
  SystemEventHandlers handlers() {
    return {[this] { ++thermal; }, [this] { ++sleep; }, [this] { ++wake; }, [this] { ++clock; }};
  }
};

LinuxSystemEvents::Options quietOptions() {
  LinuxSystemEvents::Options o;
  o.watchClock = false;
  return o;
}

void pause(int ms) {
  waitFor([] { return false; }, ms);
}

QDBusMessage prepareForSleep(bool start) {
  QDBusMessage m = QDBusMessage::createSignal("/org/freedesktop/login1",
                                              "org.freedesktop.login1.Manager", "PrepareForSleep");
  return m << start;
}

TEST(LinuxSystemEventsTest, SleepWakeAndLowPowerFromFakeServices) {
  PrivateBus bus;
  if (!bus.ok()) GTEST_SKIP() << "No private bus: " << bus.error();
  QDBusConnection service = bus.connect("services");
  FakePowerProfiles ppd;  // only under the legacy name
  ASSERT_TRUE(service.registerObject("/net/hadess/PowerProfiles", &ppd,
                                     QDBusConnection::ExportAllProperties));
  ASSERT_TRUE(service.registerService("net.hadess.PowerProfiles"));
  ASSERT_TRUE(service.registerService("org.freedesktop.login1"));
  LinuxSystemEvents events(bus.connect("client"), quietOptions());
  Counts counts;
  events.start(counts.handlers());
  ASSERT_TRUE(waitFor([&] { return events.lowPowerMode(); }));

  service.send(prepareForSleep(true));
  service.send(prepareForSleep(true));  // a repeat is the same sleep
  ASSERT_TRUE(waitFor([&] { return counts.sleep == 1; }));
  service.send(prepareForSleep(false));
  ASSERT_TRUE(waitFor([&] { return counts.wake == 1; }));
  bus.connect("impostor").send(prepareForSleep(true));  // not logind's signal
  QDBusMessage changed = QDBusMessage::createSignal(
      "/net/hadess/PowerProfiles", "org.freedesktop.DBus.Properties", "PropertiesChanged");
  changed << QString("net.hadess.PowerProfiles") << QVariantMap{{"ActiveProfile", "balanced"}}
          << QStringList();
  service.send(changed);
  EXPECT_TRUE(waitFor([&] { return !events.lowPowerMode(); }));
  EXPECT_EQ(counts.sleep, 1);
}

TEST(LinuxSystemEventsTest, MissingServicesOrBusMeanNoEvents) {
  PrivateBus bus;
  if (!bus.ok()) GTEST_SKIP() << "No private bus: " << bus.error();
  Counts counts;
  LinuxSystemEvents empty(bus.connect("client"), quietOptions());
  empty.start(counts.handlers());
  LinuxSystemEvents unconnected(QDBusConnection::connectToBus("unix:path=/nonexistent", "none"),
                                quietOptions());
  unconnected.start(counts.handlers());
  pause(300);
  EXPECT_FALSE(empty.lowPowerMode() || unconnected.lowPowerMode());
  EXPECT_EQ(counts.sleep + counts.wake + counts.thermal + counts.clock, 0);
  QDBusConnection::disconnectFromBus("none");
}

TEST(LinuxSystemEventsTest, ThermalChangesArePolledAndReportedOnce) {
  // Successive levels: baseline, unchanged, a change, two unknown spellings, back to nominal.
  const std::vector<int> levels = {0, 0, 2, 2, 7, -1, 0};
  std::atomic<size_t> next{0};
  LinuxSystemEvents::Options o = quietOptions();
  o.thermalPollMilliseconds = 5;
  o.thermalLevel = [&] {
    const size_t i = next.fetch_add(1);
    return levels[std::min(i, levels.size() - 1)];
  };
  Counts counts;
  {
    LinuxSystemEvents events(QDBusConnection::connectToBus("unix:path=/nonexistent", "none2"), o);
    events.start(counts.handlers());
    ASSERT_TRUE(waitFor([&] { return next.load() > levels.size() + 2; }));
    pause(50);
  }
  QDBusConnection::disconnectFromBus("none2");
  EXPECT_EQ(counts.thermal, 3);  // 0→2, 2→unknown, unknown→0
}

// Runs one asynchronous call of the center and waits for its answer.
template <class T, class Call>
std::optional<T> await(Call call) {
  std::optional<T> answer;
  call([&](auto... values) { answer.emplace(values...); });
  EXPECT_TRUE(waitFor([&] { return answer.has_value(); }));
  return answer;
}

TEST(DBusNotificationCenterTest, AsksRemembersAndShowsWithTheAppsIconEntryAndWarningSound) {
  PrivateBus bus;
  if (!bus.ok()) GTEST_SKIP() << "No private bus: " << bus.error();
  QDBusConnection service = bus.connect("server");
  FakeNotificationServer server;
  ASSERT_TRUE(service.registerObject("/org/freedesktop/Notifications", &server,
                                     QDBusConnection::ExportAllSlots));
  ASSERT_TRUE(service.registerService("org.freedesktop.Notifications"));
  auto defaults = std::make_shared<MemoryDefaults>();
  DBusNotificationCenter center(bus.connect("client"), defaults, "file:///opt/t/icon.svg");
  auto status = [&] {
    return await<AuthorizationStatus>([&](auto done) { center.authorizationStatus(done); });
  };
  EXPECT_EQ(status(), AuthorizationStatus::notDetermined);
  const auto granted =
      await<Expected<bool>>([&](auto done) { center.requestAuthorization(done); });
  ASSERT_TRUE(granted && *granted);
  EXPECT_TRUE(**granted);
  EXPECT_EQ(status(), AuthorizationStatus::authorized);
  const auto delivered = await<Status>([&](auto done) {
    center.post({"id", "Critical thermal pressure", "A body"}, done);
  });
  ASSERT_TRUE(delivered && *delivered) << (delivered ? delivered->error() : "no answer");
  ASSERT_EQ(server.shown.size(), 1);
  EXPECT_EQ(server.shown[0], (QVariantList{"Tempyra", 0u, "file:///opt/t/icon.svg",
                                           "Critical thermal pressure", "A body", QStringList(),
                                           -1}));
  EXPECT_EQ(server.lastHints.value("desktop-entry"), "com.quorvel.tempyra");
  EXPECT_EQ(server.lastHints.value("sound-name"), "dialog-warning");
}

TEST(DBusNotificationCenterTest, NoServerIsAnErrorAndNothingIsRemembered) {
  PrivateBus bus;
  if (!bus.ok()) GTEST_SKIP() << "No private bus: " << bus.error();
  auto defaults = std::make_shared<MemoryDefaults>();
  DBusNotificationCenter center(bus.connect("client"), defaults, "");
  const auto granted =
      await<Expected<bool>>([&](auto done) { center.requestAuthorization(done); });
  ASSERT_TRUE(granted && !*granted);
  EXPECT_THAT(granted->error(), ::testing::StartsWith("No notification server answered: "));
  EXPECT_FALSE(defaults->string(kNotificationGrantKey));
  const auto delivered = await<Status>([&](auto done) { center.post({"id", "t", "b"}, done); });
  EXPECT_TRUE(delivered && !*delivered);
}

}  // namespace
}  // namespace tempyra::testing

#include "dbus_backends_test.moc"
