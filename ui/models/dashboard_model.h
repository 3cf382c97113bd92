#pragma once
// The dashboard window: sidebar, header row, steps, status strip, alerts and the content of the
// selected page. Builds only while the window exists (`active`), and only the shown page.
#include <QObject>
#include <QVariantMap>
#include <QtQml/qqmlregistration.h>

#include "app/history_range.h"
#include "ui/logic/dashboard_pages.h"

namespace tempyra {

class MonitorPort;

class DashboardModel : public QObject {
  Q_OBJECT
  QML_ELEMENT
  QML_UNCREATABLE("Owned by Ui")
  // Keys: pages [{name, symbol, selected}], page (one of the seven names), title, subtitle,
  // steps, showSteps, historyProblem, pauseLabel, pauseSymbol, statusTint, statusText, demo,
  // problem, and `content`, the selected page's own keys.
  Q_PROPERTY(QVariantMap view READ view NOTIFY viewChanged)
  Q_PROPERTY(bool active READ active WRITE setActive NOTIFY activeChanged)
  Q_PROPERTY(bool confirmClear READ confirmClear WRITE setConfirmClear NOTIFY confirmClearChanged)

 public:
  explicit DashboardModel(MonitorPort& port, QObject* parent = nullptr);

  const QVariantMap& view() const { return view_; }
  bool active() const { return active_; }
  void setActive(bool active);
  bool confirmClear() const { return confirmClear_; }
  void setConfirmClear(bool on);

  // A DashboardPage value.
  Q_INVOKABLE void selectPage(int page);
  Q_INVOKABLE void togglePause();
  Q_INVOKABLE void setRangeIndex(int index);
  Q_INVOKABLE void refreshHistory();
  Q_INVOKABLE void exportHistory();
  // The confirmation's destructive button: the only path that deletes history.
  Q_INVOKABLE void clearHistoryConfirmed();
  Q_INVOKABLE void dismissProblem();
  // Switches the numbered steps on every page at once.
  Q_INVOKABLE void setShowSteps(bool on);

  void refresh();

 signals:
  void viewChanged();
  void activeChanged();
  void confirmClearChanged();

 private:
  MonitorPort& port_;
  // Survive the window: a reopened dashboard shows the page and range it showed last.
  DashboardPage page_ = DashboardPage::overview;
  HistoryRange range_ = HistoryRange::hour;
  QVariantMap view_;
  bool active_ = false;
  bool confirmClear_ = false;
};

}  // namespace tempyra
