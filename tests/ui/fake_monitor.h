#pragma once
// A scripted monitor for the view-model and Qt Quick tests: published fields are plain members
// the test sets, commands are counted, defaults live in a map.
#include <map>
#include <variant>

#include "ui/models/monitor_port.h"

namespace tempyra {

class MemoryDefaults final : public UserDefaults {
 public:
  using Value = std::variant<std::string, bool, double>;
  std::map<std::string, Value> values;
  std::optional<std::string> problem_;

  template <class T>
  std::optional<T> get(const std::string& key) const {
    const auto it = values.find(key);
    if (it == values.end() || !std::holds_alternative<T>(it->second)) return std::nullopt;
    return std::get<T>(it->second);
  }
  std::optional<std::string> bytes(const std::string& k) const override { return get<std::string>(k); }
  void setBytes(const std::string& k, const std::string& v) override { values[k] = v; }
  std::optional<std::string> string(const std::string& k) const override { return get<std::string>(k); }
  void setString(const std::string& k, const std::string& v) override { values[k] = v; }
  std::optional<bool> boolean(const std::string& k) const override { return get<bool>(k); }
  void setBoolean(const std::string& k, bool v) override { values[k] = v; }
  std::optional<double> date(const std::string& k) const override { return get<double>(k); }
  void setDate(const std::string& k, double v) override { values[k] = v; }
  void remove(const std::string& k) override { values.erase(k); }
  std::optional<std::string> problem() const override { return problem_; }
};

class FakeMonitor final : public MonitorPort {
  Q_OBJECT

 public:
  std::optional<Reading> reading_;
  std::vector<Reading> history_;
  std::vector<Event> events_;
  std::map<ThermalState, double> durations_;
  std::vector<Episode> episodes_;
  std::optional<AwaySummary> away_;
  bool paused_ = false;
  bool asleep_ = false;
  bool stale_ = false;
  std::optional<std::string> problem_;
  std::optional<std::string> historyProblem_;
  AuthorizationStatus permission_ = AuthorizationStatus::notDetermined;
  Preferences preferences_;
  LoginItemStatus loginStatus_ = LoginItemStatus::notRegistered;
  DeviceProfile profile_;
  std::optional<Advice> advice_;
  bool historyPageSelected_ = false;
  HistoryRange range_ = HistoryRange::hour;
  double now_ = 1'800'000'000;
  bool demo_ = false;
  MemoryDefaults defaults_;
  std::optional<std::filesystem::path> metricsFolder_;
  std::optional<std::string> metricsProblem_;

  int saves = 0, loads = 0, clears = 0, folderRequests = 0, testNotifications = 0;
  std::vector<bool> logins;

  const std::optional<Reading>& reading() const override { return reading_; }
  const std::vector<Reading>& history() const override { return history_; }
  const std::vector<Event>& events() const override { return events_; }
  const std::map<ThermalState, double>& durations() const override { return durations_; }
  const std::vector<Episode>& episodes() const override { return episodes_; }
  const std::optional<AwaySummary>& away() const override { return away_; }
  bool paused() const override { return paused_; }
  bool asleep() const override { return asleep_; }
  std::optional<std::string> problem() const override { return problem_; }
  std::optional<std::string> historyProblem() const override { return historyProblem_; }
  AuthorizationStatus permission() const override { return permission_; }
  const Preferences& preferences() const override { return preferences_; }
  LoginItemStatus loginStatus() const override { return loginStatus_; }
  const DeviceProfile& profile() const override { return profile_; }
  const std::optional<std::filesystem::path>& metricsFolder() const override {
    return metricsFolder_;
  }
  const std::optional<std::string>& metricsProblem() const override { return metricsProblem_; }
  bool stale() const override { return stale_; }
  std::optional<Advice> advice() const override { return advice_; }
  double now() const override { return now_; }
  bool demo() const override { return demo_; }
  UserDefaults& defaults() override { return defaults_; }

  void togglePause() override {
    paused_ = !paused_;
    stale_ = paused_ || !reading_;
    emit changed();
  }
  void loadHistory() override { ++loads; }
  void clearHistory() override { ++clears; }
  void exportHistory() override {}
  void savePreferences() override { ++saves; }
  void resetPreferences() override { setPreferences(Preferences{}); }
  void setLogin(bool enabled) override { logins.push_back(enabled); }
  void requestAlerts() override {}
  void sendTestNotification() override { ++testNotifications; }
  void setPreferences(const Preferences& p) override {
    if (p == preferences_) return;
    preferences_ = p;
    emit changed();
    emit historyChanged();
  }
  void setHistoryView(bool historyPageSelected, HistoryRange range) override {
    historyPageSelected_ = historyPageSelected;
    range_ = range;
  }
  void setDetailVisible(bool) override {}
  void clearProblem() override {
    problem_.reset();
    emit changed();
  }
  void dismissAway() override {
    away_.reset();
    emit changed();
  }
  void chooseMetricsFolder() override { ++folderRequests; }
  void stopMetrics() override {
    metricsFolder_.reset();
    metricsProblem_.reset();
    emit changed();
  }

  // Publishes every field again (after a test edited the members).
  void publish() {
    emit changed();
    emit historyChanged();
  }
};

}  // namespace tempyra
