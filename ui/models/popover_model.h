#pragma once
// The popover: every line, colour and button label, rebuilt on each change the monitor
// publishes.
#include <QObject>
#include <QStringList>
#include <QtQml/qqmlregistration.h>

#include "ui/models/theme.h"

namespace tempyra {

class MonitorSurface;

class PopoverModel : public QObject {
  Q_OBJECT
  QML_ELEMENT
  QML_UNCREATABLE("Owned by Ui")
  Q_PROPERTY(QString stateTitle READ stateTitle NOTIFY changed FINAL)
  Q_PROPERTY(tempyra::Theme::Tint tint READ tint NOTIFY changed FINAL)
  Q_PROPERTY(QString explanation READ explanation NOTIFY changed FINAL)
  Q_PROPERTY(bool hasReading READ hasReading NOTIFY changed FINAL)
  Q_PROPERTY(QString cpuLine READ cpuLine NOTIFY changed FINAL)
  // The Overview's one line for a machine that shows little; empty otherwise.
  Q_PROPERTY(QString littleToShow READ littleToShow NOTIFY changed FINAL)
  Q_PROPERTY(QStringList sensorLines READ sensorLines NOTIFY changed FINAL)
  Q_PROPERTY(QString powerLine READ powerLine NOTIFY changed FINAL)
  Q_PROPERTY(QString activityLine READ activityLine NOTIFY changed FINAL)  // empty: no line
  Q_PROPERTY(QString lastEvent READ lastEvent NOTIFY changed FINAL)
  Q_PROPERTY(QString pauseLabel READ pauseLabel NOTIFY changed FINAL)

 public:
  explicit PopoverModel(MonitorSurface& monitor, QObject* parent = nullptr);

  QString stateTitle() const { return v_.stateTitle; }
  Theme::Tint tint() const { return v_.tint; }
  QString explanation() const { return v_.explanation; }
  bool hasReading() const { return v_.hasReading; }
  QString cpuLine() const { return v_.cpuLine; }
  QString littleToShow() const { return v_.littleToShow; }
  QStringList sensorLines() const { return v_.sensorLines; }
  QString powerLine() const { return v_.powerLine; }
  QString activityLine() const { return v_.activityLine; }
  QString lastEvent() const { return v_.lastEvent; }
  QString pauseLabel() const { return v_.pauseLabel; }

  Q_INVOKABLE void togglePause();
  // Snooze ends one hour after now (a second press moves it, never adds), alerts stay as set.
  Q_INVOKABLE void snooze();
  Q_INVOKABLE void openDetails() { emit openDetailsRequested(); }
  Q_INVOKABLE void quit() { emit quitRequested(); }

  void refresh();

 signals:
  void changed();
  void openDetailsRequested();
  void quitRequested();

 private:
  struct View {
    QString stateTitle;
    Theme::Tint tint = Theme::Tint::Secondary;
    QString explanation;
    bool hasReading = false;
    QString cpuLine;
    QString littleToShow;
    QStringList sensorLines;
    QString powerLine;
    QString activityLine;
    QString lastEvent;
    QString pauseLabel;
    friend bool operator==(const View&, const View&) = default;
  };

  MonitorSurface& monitor_;
  View v_;
};

}  // namespace tempyra
