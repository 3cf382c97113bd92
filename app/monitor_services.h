#pragma once
// Everything the monitor needs from outside itself, so tests can hand it fakes.
#include <filesystem>
#include <functional>
#include <memory>

#include "app/clock.h"
#include "app/file_chooser.h"
#include "app/info_dictionary.h"
#include "app/login_item.h"
#include "app/notification_center.h"
#include "app/system_events.h"
#include "app/user_defaults.h"
#include "core/calendar.h"
#include "providers/sensor_provider.h"

namespace tempyra {

struct MonitorServices {
  std::shared_ptr<Clock> clock;
  std::shared_ptr<Calendar> calendar;
  std::shared_ptr<UserDefaults> defaults;
  std::shared_ptr<InfoDictionary> info;
  std::shared_ptr<SystemEvents> events;
  std::shared_ptr<NotificationCenter> notifications;
  std::shared_ptr<LoginItem> loginItem;
  // May stay empty until the interface layer installs one (Monitor::setFileChooser).
  std::shared_ptr<FileChooser> fileChooser;
  // Builds the provider; demo is the information dictionary's choice. Runs on the sampling
  // queue, where the provider then lives.
  std::function<std::unique_ptr<SensorProvider>(bool demo)> makeProvider;
  // The history database file.
  std::filesystem::path storePath;
};

// The real services of this system: the system clock and calendar, QSettings, the compiled-in
// information dictionary, logind / timerfd / thermal polling / power-profiles events, desktop
// notifications over the session bus, the XDG autostart entry and the XDG data directory. The
// demonstration build gets a settings file, an autostart entry and a history of its own.
// fileChooser stays empty. REQUIRES: a QCoreApplication exists.
MonitorServices makeSystemServices();

}  // namespace tempyra
