#pragma once
// The monitor as the windows process sees it: a copy of the tray process's snapshots, updated
// from the messages it sends, with each command sent back to it. The live state is computed
// from the copied facts and this process's clock, so it ages as the monitor's own does. The
// user defaults are a copy of the interface's own keys; a write goes back to the tray process.
//
// Threads: main thread only.
#include <QByteArray>

#include <memory>

#include "app/clock.h"
#include "app/copied_defaults.h"
#include "app/monitor_surface.h"

namespace tempyra {

class SurfaceChannel;

class RemoteSurface : public MonitorSurface {
  Q_OBJECT

 public:
  // REQUIRES: `channel` outlives the surface.
  RemoteSurface(SurfaceChannel& channel, std::shared_ptr<Clock> clock, QObject* parent = nullptr);

  // Takes a snapshot message ("live", "history", "setup", "defaults"), emitting its signal
  // when the copy changed; false for any other kind. A text that does not decode is reported
  // on standard error and leaves the copy as it was.
  bool take(const QByteArray& kind, const QByteArray& text);
  // Every snapshot has arrived once: the windows can be built.
  bool complete() const { return haveLive_ && haveHistory_ && haveSetup_ && haveDefaults_; }

  LiveState live() const override { return liveAt(facts_, clock_->now()); }
  const HistoryState& history() const override { return history_; }
  SetupState setup() const override { return setup_; }
  UserDefaults& defaults() override { return defaults_; }

  void togglePause() override { command("togglePause"); }
  void loadHistory() override { command("loadHistory"); }
  void clearHistory() override { command("clearHistory"); }
  void exportHistory() override { command("exportHistory"); }
  // Also takes the preferences into the copy at once, as the monitor publishes them.
  void setPreferences(const Preferences& preferences) override;
  void savePreferences() override { command("savePreferences"); }
  void resetPreferences() override { command("resetPreferences"); }
  void setLogin(bool enabled) override;
  void requestAlerts() override { command("requestAlerts"); }
  void sendTestNotification() override { command("sendTestNotification"); }
  void setHistoryView(bool historyPageSelected, HistoryRange range) override;
  void setDetailVisible(bool visible) override;
  void clearProblem() override { command("clearProblem"); }
  void dismissAway() override { command("dismissAway"); }
  void chooseMetricsFolder() override { command("chooseMetricsFolder"); }
  void stopMetrics() override { command("stopMetrics"); }

 private:
  void command(const char* name);
  void command(const std::string& json);

  SurfaceChannel& channel_;
  std::shared_ptr<Clock> clock_;
  LiveFacts facts_;
  HistoryState history_;
  SetupState setup_;
  CopiedDefaults defaults_;
  bool haveLive_ = false, haveHistory_ = false, haveSetup_ = false, haveDefaults_ = false;
};

}  // namespace tempyra
