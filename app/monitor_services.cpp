#include "app/monitor_services.h"

#include <QCoreApplication>
#include <QDBusConnection>

#include "app/autostart_login_item.h"
#include "app/dbus_notification_center.h"
#include "app/linux_system_events.h"
#include "app/resource_info_dictionary.h"
#include "app/settings_user_defaults.h"
#include "app/xdg_paths.h"
#include "providers/demo_provider.h"
#include "providers/live_provider.h"

namespace tempyra {

MonitorServices makeSystemServices() {
  const Environment env = processEnvironment();
  MonitorServices s;
  s.clock = std::make_shared<SystemClock>();
  s.calendar = std::make_shared<LocalCalendar>();
  s.defaults = std::make_shared<SettingsUserDefaults>();
  s.info = std::make_shared<ResourceInfoDictionary>();
  LinuxSystemEvents::Options options;
  options.thermalLevel = [] { return liveThermalLevel("/"); };
  s.events = std::make_shared<LinuxSystemEvents>(QDBusConnection::systemBus(), options);
  s.notifications = std::make_shared<DBusNotificationCenter>(
      QDBusConnection::sessionBus(), s.defaults,
      desktopIconReference(env, QCoreApplication::applicationDirPath().toStdString()));
  s.loginItem = std::make_shared<AutostartLoginItem>(
      xdgConfigHome(env), xdgConfigDirs(env), "com.quorvel.tempyra.desktop",
      std::vector<std::string>{QCoreApplication::applicationFilePath().toStdString()});
  s.makeProvider = [](bool demo) -> std::unique_ptr<SensorProvider> {
    if (demo) return std::make_unique<DemoProvider>();
    return makeLiveProvider("/");
  };
  s.storePath = historyFile(env, s.info->boolean(kDemoDataKey).value_or(false));
  return s;
}

}  // namespace tempyra
