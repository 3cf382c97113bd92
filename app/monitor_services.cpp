#include "app/monitor_services.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QFile>

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
  s.info = std::make_shared<ResourceInfoDictionary>();
  const bool demo = s.info->boolean(kDemoDataKey).value_or(false);
  s.defaults = std::make_shared<SettingsUserDefaults>(
      QFile::decodeName(settingsFile(env, demo).c_str()));
  LinuxSystemEvents::Options options;
  options.thermalLevel = [] { return liveThermalLevel("/"); };
  s.events = std::make_shared<LinuxSystemEvents>(QDBusConnection::systemBus(), options);
  s.notifications = std::make_shared<DBusNotificationCenter>(
      QDBusConnection::sessionBus(), s.defaults,
      desktopIconReference(env, QCoreApplication::applicationDirPath().toStdString()));
  s.loginItem = std::make_shared<AutostartLoginItem>(
      xdgConfigHome(env), xdgConfigDirs(env), demo ? kDemoAutostartEntryName : kAutostartEntryName,
      std::vector<std::string>{QCoreApplication::applicationFilePath().toStdString()});
  s.makeProvider = [](bool demo) -> std::unique_ptr<SensorProvider> {
    if (demo) return std::make_unique<DemoProvider>();
    return makeLiveProvider("/");
  };
  s.storePath = historyFile(env, demo);
  return s;
}

}  // namespace tempyra
