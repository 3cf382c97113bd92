#pragma once
// The tray item and its popover: every line, colour and button label, rebuilt on each change
// the monitor publishes.
#include <QObject>
#include <QVariantMap>
#include <QtQml/qqmlregistration.h>

namespace tempyra {

class MonitorPort;

class PopoverModel : public QObject {
  Q_OBJECT
  QML_ELEMENT
  QML_UNCREATABLE("Owned by Ui")
  // Keys: stateTitle, tint, explanation, hasReading, cpuLine, sensorLines, powerLine,
  // activityLine (empty: no line), lastEvent, pauseLabel, trayIcon, tooltip.
  Q_PROPERTY(QVariantMap view READ view NOTIFY viewChanged)

 public:
  explicit PopoverModel(MonitorPort& port, QObject* parent = nullptr);

  const QVariantMap& view() const { return view_; }

  Q_INVOKABLE void togglePause();
  // Snooze ends one hour after now (a second press moves it, never adds), alerts stay as set.
  Q_INVOKABLE void snooze();
  Q_INVOKABLE void openDetails() { emit openDetailsRequested(); }
  Q_INVOKABLE void quit() { emit quitRequested(); }

  void refresh();

 signals:
  void viewChanged();
  void openDetailsRequested();
  void quitRequested();

 private:
  MonitorPort& port_;
  QVariantMap view_;
};

}  // namespace tempyra
