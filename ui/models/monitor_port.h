#pragma once
// What the interface reads from the monitor and the commands it calls: the monitor's own
// members, behind one interface so the view models can be tested with a scripted fake.
// REQUIRES: main thread only, like the monitor.
#include <QObject>

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "app/away_summary.h"
#include "app/history_range.h"
#include "app/login_item.h"
#include "app/notification_center.h"
#include "app/preferences.h"
#include "app/user_defaults.h"
#include "core/advice.h"
#include "core/device_profile.h"
#include "core/episode.h"
#include "core/reading.h"
#include "ui/logic/chart_data.h"
#include "ui/logic/text_format.h"

namespace tempyra {

class MonitorPort : public QObject {
  Q_OBJECT

 public:
  using QObject::QObject;

  // Published fields.
  virtual const std::optional<Reading>& reading() const = 0;
  virtual const std::vector<Reading>& history() const = 0;
  virtual const std::vector<Event>& events() const = 0;
  virtual const std::map<ThermalState, double>& durations() const = 0;
  virtual const std::vector<Episode>& episodes() const = 0;  // newest first
  virtual const std::optional<AwaySummary>& away() const = 0;
  virtual bool paused() const = 0;
  virtual bool asleep() const = 0;
  // Problems come worded for the screen.
  virtual std::optional<std::string> problem() const = 0;
  virtual std::optional<std::string> historyProblem() const = 0;
  virtual AuthorizationStatus permission() const = 0;
  virtual const Preferences& preferences() const = 0;
  virtual LoginItemStatus loginStatus() const = 0;
  virtual const DeviceProfile& profile() const = 0;
  virtual const std::optional<std::filesystem::path>& metricsFolder() const = 0;
  virtual const std::optional<std::string>& metricsProblem() const = 0;

  // Derived values, computed afresh on each call.
  virtual bool stale() const = 0;
  virtual std::optional<Advice> advice() const = 0;
  // The monitor's clock, seconds since 1970.
  virtual double now() const = 0;
  // How metric values are shown right now.
  ValueDisplay valueDisplay() const { return {preferences().unit, stale(), now()}; }
  // The information dictionary's demonstration switch.
  virtual bool demo() const = 0;
  virtual UserDefaults& defaults() = 0;

  // Commands.
  virtual void togglePause() = 0;
  virtual void loadHistory() = 0;
  virtual void clearHistory() = 0;
  virtual void exportHistory() = 0;
  virtual void savePreferences() = 0;
  virtual void resetPreferences() = 0;
  virtual void setLogin(bool enabled) = 0;
  virtual void requestAlerts() = 0;
  virtual void sendTestNotification() = 0;
  virtual void setPreferences(const Preferences& preferences) = 0;
  virtual void setHistoryView(bool historyPageSelected, HistoryRange range) = 0;
  virtual void setDetailVisible(bool visible) = 0;
  virtual void clearProblem() = 0;
  virtual void dismissAway() = 0;
  virtual void chooseMetricsFolder() = 0;
  virtual void stopMetrics() = 0;

 signals:
  // Any published field changed (several changes may arrive as several signals).
  void changed();
  // The history, events, durations, episodes or the unit preference changed: the charts redraw.
  void historyChanged();
  // The user-defaults values the interface keeps (appearance, guidance) changed.
  void defaultsChanged();
};

}  // namespace tempyra
