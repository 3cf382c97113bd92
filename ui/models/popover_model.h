#pragma once
// The tray item and its popover: every line, colour and button label, rebuilt on each change
// the monitor publishes.
#include <QList>
#include <QObject>
#include <QStringList>
#include <QtQml/qqmlregistration.h>

#include "ui/logic/tray_face.h"
#include "ui/models/theme.h"

namespace tempyra {

class MonitorSurface;

// The commands of the tray icon's menu: the popover's own, in its order.
enum class TrayCommand { openDashboard, togglePause, snooze, quit };

struct TrayMenuEntry {
  TrayCommand command;
  QString label;
  bool separated = false;  // a separator comes before it
  friend bool operator==(const TrayMenuEntry&, const TrayMenuEntry&) = default;
};

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
  // The tray item: what its icon shows, the title beside it (empty for icon only), the widest
  // title the chosen mode can show, and the tooltip (the title, or the product's name).
  const TrayFace& trayFace() const { return v_.trayFace; }
  QString trayTitle() const { return v_.trayTitle; }
  QString trayTitleGuide() const { return v_.trayTitleGuide; }
  QString tooltip() const { return v_.trayTitle.isEmpty() ? QStringLiteral("Tempyra") : v_.trayTitle; }
  // The tray icon's menu (the host's menu or our own): each label says what it does on its own,
  // without the popover around it.
  const QList<TrayMenuEntry>& trayMenu() const { return v_.trayMenu; }
  void run(TrayCommand command);

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
    TrayFace trayFace;
    QString trayTitle;
    QString trayTitleGuide;
    QList<TrayMenuEntry> trayMenu;
    friend bool operator==(const View&, const View&) = default;
  };

  MonitorSurface& monitor_;
  View v_;
};

}  // namespace tempyra
