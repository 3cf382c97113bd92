#pragma once
// The real monitor behind MonitorPort. Does not own the monitor.
#include <memory>

#include "app/info_dictionary.h"
#include "app/monitor.h"
#include "ui/logic/text_format.h"
#include "ui/models/monitor_port.h"

namespace tempyra {

class MonitorAdapter final : public MonitorPort {
  Q_OBJECT

 public:
  // REQUIRES: `monitor` outlives the adapter.
  MonitorAdapter(Monitor& monitor, std::shared_ptr<Clock> clock, bool demo,
                 QObject* parent = nullptr);

  const std::optional<Reading>& reading() const override { return m_.reading(); }
  const std::vector<Reading>& history() const override { return m_.history(); }
  const std::vector<Event>& events() const override { return m_.events(); }
  const std::map<ThermalState, double>& durations() const override { return m_.durations(); }
  const std::vector<Episode>& episodes() const override { return m_.episodes(); }
  const std::optional<AwaySummary>& away() const override { return m_.away(); }
  bool paused() const override { return m_.paused(); }
  bool asleep() const override { return m_.asleep(); }
  std::optional<std::string> problem() const override { return problemText(m_.problem()); }
  std::optional<std::string> historyProblem() const override {
    return problemText(m_.historyProblem());
  }
  AuthorizationStatus permission() const override { return m_.permission(); }
  const Preferences& preferences() const override { return m_.preferences(); }
  LoginItemStatus loginStatus() const override { return m_.loginStatus(); }
  const DeviceProfile& profile() const override { return m_.profile(); }
  const std::optional<std::filesystem::path>& metricsFolder() const override {
    return m_.metricsFolder();
  }
  const std::optional<std::string>& metricsProblem() const override {
    return m_.metricsProblem();
  }

  bool stale() const override { return m_.stale(); }
  std::optional<Advice> advice() const override { return m_.advice(); }
  double now() const override { return clock_->now(); }
  bool demo() const override { return demo_; }
  UserDefaults& defaults() override { return m_.userDefaults(); }

  void togglePause() override { m_.togglePause(); }
  void loadHistory() override { m_.loadHistory(); }
  void clearHistory() override { m_.clearHistory(); }
  void exportHistory() override { m_.exportHistory(); }
  void savePreferences() override { m_.savePreferences(); }
  void resetPreferences() override;
  void setLogin(bool enabled) override { m_.setLogin(enabled); }
  void requestAlerts() override { m_.requestAlerts(); }
  void sendTestNotification() override { m_.sendTestNotification(); }
  void setPreferences(const Preferences& p) override { m_.setPreferences(p); }
  void setHistoryView(bool historyPageSelected, HistoryRange range) override {
    m_.setHistoryView(historyPageSelected, range);
  }
  void setDetailVisible(bool visible) override { m_.setDetailVisible(visible); }
  void clearProblem() override { m_.clearProblem(); }
  void dismissAway() override { m_.dismissAway(); }
  void chooseMetricsFolder() override { m_.chooseMetricsFolder(); }
  void stopMetrics() override { m_.stopMetrics(); }

 private:
  Monitor& m_;
  std::shared_ptr<Clock> clock_;
  bool demo_;
};

}  // namespace tempyra
