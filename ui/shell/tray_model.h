#pragma once
// What the tray item shows and what its menu does: the icon's face, the title beside it, its
// tooltip and the menu's entries, rebuilt when the monitor publishes a change and as the reading
// ages. Needs no QML: the tray runs without the windows.
#include <QList>
#include <QObject>
#include <QString>
#include <QTimer>

#include "ui/logic/tray_face.h"

namespace tempyra {

class MonitorSurface;

// The commands of the tray icon's menu, in its order.
enum class TrayCommand { openDashboard, togglePause, snooze, quit };

struct TrayMenuEntry {
  TrayCommand command;
  QString label;
  bool separated = false;  // a separator comes before it
  friend bool operator==(const TrayMenuEntry&, const TrayMenuEntry&) = default;
};

class TrayModel : public QObject {
  Q_OBJECT

 public:
  // REQUIRES: main thread; `monitor` outlives the model.
  explicit TrayModel(MonitorSurface& monitor, QObject* parent = nullptr);

  // The product's name: the tooltip's heading.
  static QString product();
  // What the icon shows, the title beside it (empty for icon only), the widest title the chosen
  // mode can show, and the tooltip (the title, or the product's name).
  const TrayFace& trayFace() const { return v_.face; }
  QString trayTitle() const { return v_.title; }
  QString trayTitleGuide() const { return v_.titleGuide; }
  QString tooltip() const;
  // The menu (the host's or our own): each label says what it does on its own, without the
  // popover around it.
  const QList<TrayMenuEntry>& trayMenu() const { return v_.menu; }
  // Pause and snooze act on the monitor (a snooze ends one hour after now, a second press moves
  // it, saved); opening the dashboard and quitting are asked for by signal.
  void run(TrayCommand command);

  void refresh();

 signals:
  // Only when something the tray shows changed.
  void changed();
  void openDashboardRequested();
  void quitRequested();

 private:
  struct View {
    TrayFace face;
    QString title;
    QString titleGuide;
    QList<TrayMenuEntry> menu;
    friend bool operator==(const View&, const View&) = default;
  };

  MonitorSurface& monitor_;
  View v_;
  // A reading turns stale by its age alone, with nothing published.
  QTimer ageCheck_;
};

}  // namespace tempyra
