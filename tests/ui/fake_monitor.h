#pragma once
// A scripted monitor for the view-model and Qt Quick tests: the snapshots are plain members the
// test sets, commands are counted, defaults live in a map.
#include "app/monitor_surface.h"
#include "tests/app/fakes.h"

namespace tempyra {

using testing::MemoryDefaults, testing::testMetric, testing::testReading;

class FakeMonitor final : public MonitorSurface {
  Q_OBJECT

 public:
  LiveState live_;
  HistoryState history_;
  SetupState setup_;
  MemoryDefaults defaults_;
  bool historyPageSelected_ = false;
  HistoryRange range_ = HistoryRange::hour;

  int saves = 0, loads = 0, clears = 0, folderRequests = 0, testNotifications = 0;
  std::vector<bool> logins;

  FakeMonitor() {
    live_.stale = false;
    live_.now = 1'800'000'000;
    setup_.loginStatus = LoginItemStatus::notRegistered;
  }

  LiveState live() const override { return live_; }
  const HistoryState& history() const override { return history_; }
  SetupState setup() const override { return setup_; }
  UserDefaults& defaults() override { return defaults_; }

  void togglePause() override {
    live_.paused = !live_.paused;
    live_.stale = live_.paused || !live_.reading;
    emit liveChanged();
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
    if (p == setup_.preferences) return;
    setup_.preferences = p;
    emit setupChanged();
  }
  void setHistoryView(bool historyPageSelected, HistoryRange range) override {
    historyPageSelected_ = historyPageSelected;
    range_ = range;
  }
  void setDetailVisible(bool) override {}
  void clearProblem() override {
    live_.problem.reset();
    emit liveChanged();
  }
  void dismissAway() override {
    live_.away.reset();
    emit liveChanged();
  }
  void chooseMetricsFolder() override { ++folderRequests; }
  void stopMetrics() override {
    setup_.metricsFolder.reset();
    setup_.metricsProblem.reset();
    emit setupChanged();
  }

  // Publishes every snapshot again (after a test edited the members).
  void publish() {
    emit liveChanged();
    emit historyChanged();
    emit setupChanged();
  }
};

}  // namespace tempyra
