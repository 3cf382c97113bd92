#pragma once
// The Qt Quick tests' setup: the fake monitor installed as the `Ui` singleton's source before any
// QML loads, scripted from QML through the context property `fake`.
#include <QQmlContext>
#include <QQmlEngine>

#include "tests/ui/fake_monitor.h"
#include "ui/logic/onboarding_flow.h"
#include "ui/models/symbol_images.h"
#include "ui/models/ui_context.h"

namespace tempyra {

class FakeControl : public QObject {
  Q_OBJECT
  Q_PROPERTY(int saves READ saves)
  Q_PROPERTY(int clears READ clears)
  Q_PROPERTY(double sustained READ sustained)

 public:
  FakeControl() { UiContext::install(&ui_); }

  // As after a restart: the startup sheets may be offered again.
  Q_INVOKABLE void newRun() { session_ = LaunchSession(); }

  int saves() const { return m_.saves; }
  int clears() const { return m_.clears; }
  double sustained() const { return m_.setup_.preferences.alerts.sustained; }

  // Back to a monitor before its first reading, on the Overview page, defaults untouched.
  Q_INVOKABLE void reset() {
    const double now = m_.live_.now;
    m_.live_ = LiveState{};
    m_.live_.now = now;
    m_.history_ = HistoryState{};
    m_.setup_.permission = AuthorizationStatus::notDetermined;
    m_.setup_.preferences = Preferences{};
    m_.saves = m_.loads = m_.clears = 0;
    m_.defaults_.values.clear();
    m_.publish();
    emit m_.defaultsChanged();
  }

  // A fresh reading in `state` (0-4), with or without one process of activity.
  Q_INVOKABLE void setReading(int state, bool activity) {
    m_.live_.reading = testReading(m_.live_.now, static_cast<ThermalState>(state));
    if (!activity) m_.live_.reading->activity.clear();
    m_.live_.stale = m_.live_.paused;
    m_.live_.advice = Advice{1, "Normal thermal pressure", "Nothing to do.", {"Evidence A"}};
    m_.publish();
  }
  // A machine without thermal level, zones or temperatures, before its second CPU sample.
  Q_INVOKABLE void setBareReading() {
    setReading(4, false);
    m_.live_.reading->cpu.value.reset();
    m_.live_.reading->cpu.source = "/proc/stat · establishing baseline";
    for (Metric& s : m_.live_.reading->sensors) s.value.reset();
    m_.publish();
  }
  // Readings for the charts: two segments, one power event.
  Q_INVOKABLE void setHistory() {
    m_.history_.readings.clear();
    for (int i = 0; i < 6; ++i) {
      Reading r;
      r.timestamp = m_.live_.now - 3000 + i * 300;
      r.state = static_cast<ThermalState>(i % 4);
      r.sensors = {testMetric("CPU temperature", 40 + i, "°C", r.timestamp)};
      r.segment = i < 3 ? "A" : "B";
      m_.history_.readings.push_back(r);
    }
    m_.history_.events = {{1, m_.live_.now - 1500, EventKind::power, "Battery", {}}};
    m_.publish();
  }
  Q_INVOKABLE void setPaused(bool on) {
    m_.live_.paused = on;
    m_.live_.stale = on || !m_.live_.reading;
    m_.publish();
  }
  Q_INVOKABLE void setActivityRecording(bool on) {
    Preferences p = m_.setup_.preferences;
    p.activity = on;
    m_.setPreferences(p);
  }
  Q_INVOKABLE void setDurations() {
    m_.history_.durations = {{ThermalState::nominal, 3725}, {ThermalState::fair, 59.9}};
    m_.publish();
  }
  // Two heat episodes, newest first, and the summary of time away.
  Q_INVOKABLE void setEpisodes() {
    Episode serious;
    serious.start = m_.live_.now - 1200;
    serious.end = m_.live_.now - 120;
    serious.highest = ThermalState::serious;
    serious.processes = {{"ffmpeg", 700, 71}};
    Episode brief;
    brief.start = brief.end = m_.live_.now - 2400;
    brief.brief = true;
    m_.history_.episodes = {serious, brief};
    m_.live_.away = AwaySummary{2, 1080, ThermalState::serious, "ffmpeg"};
    m_.publish();
  }
  Q_INVOKABLE void setProblem(const QString& text) {
    m_.live_.problem = Problem{ProblemKind::reported, text.toStdString()};
    m_.publish();
  }
  Q_INVOKABLE void setGuidance(bool tour, bool welcome, bool steps) {
    m_.defaults_.setBoolean("quorvel.showTour", tour);
    m_.defaults_.setBoolean("quorvel.showWelcome", welcome);
    m_.defaults_.setBoolean("quorvel.showSteps", steps);
    emit m_.defaultsChanged();
  }

 public slots:
  void qmlEngineAvailable(QQmlEngine* engine) {
    engine->addImportPath(QStringLiteral("qrc:/"));
    engine->addImageProvider(QStringLiteral("symbol"), new SymbolImageProvider);
    engine->rootContext()->setContextProperty(QStringLiteral("fake"), this);
  }

 private:
  FakeMonitor m_;
  LaunchSession session_;
  UiContext ui_{m_, session_};
};

}  // namespace tempyra
