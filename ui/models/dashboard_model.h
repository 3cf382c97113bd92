#pragma once
// The dashboard window: sidebar, header row, steps, status strip, alerts, the selected page and
// the history range. Everything is rebuilt only while the window exists (`active`), the page
// models only for the shown page; the page and the range outlive the window, so a reopened
// dashboard shows what it showed last.
#include <QList>
#include <QObject>
#include <QStringList>
#include <QtQml/qqmlregistration.h>

#include <array>
#include <utility>

#include "app/history_range.h"
#include "app/monitor_surface.h"
#include "ui/logic/dashboard_pages.h"
#include "ui/models/activity_model.h"
#include "ui/models/history_model.h"
#include "ui/models/intelligence_model.h"
#include "ui/models/overview_model.h"
#include "ui/models/sensors_model.h"

namespace tempyra {


// One sidebar item.
struct PageRow {
  Q_GADGET
  QML_VALUE_TYPE(pageRow)
  Q_PROPERTY(int page MEMBER page FINAL)  // a DashboardModel::Page
  Q_PROPERTY(QString name MEMBER name FINAL)
  Q_PROPERTY(QString symbol MEMBER symbol FINAL)
  Q_PROPERTY(bool selected MEMBER selected FINAL)

 public:
  int page = 0;
  QString name;
  QString symbol;
  bool selected = false;
  friend bool operator==(const PageRow&, const PageRow&) = default;
};

class DashboardModel : public QObject {
  Q_OBJECT
  QML_ELEMENT
  QML_UNCREATABLE("Owned by Ui")
  Q_PROPERTY(bool active READ active WRITE setActive NOTIFY activeChanged FINAL)
  Q_PROPERTY(bool confirmClear READ confirmClear WRITE setConfirmClear NOTIFY confirmClearChanged
                 FINAL)
  Q_PROPERTY(QList<tempyra::PageRow> pages READ pages NOTIFY changed FINAL)
  Q_PROPERTY(tempyra::DashboardModel::Page page READ page NOTIFY changed FINAL)
  Q_PROPERTY(QString title READ title NOTIFY changed FINAL)
  Q_PROPERTY(QString subtitle READ subtitle NOTIFY changed FINAL)
  Q_PROPERTY(QList<QString> steps READ steps NOTIFY changed FINAL)
  Q_PROPERTY(bool showSteps READ showSteps NOTIFY changed FINAL)
  Q_PROPERTY(QString historyProblem READ historyProblem NOTIFY changed FINAL)  // empty: none
  Q_PROPERTY(QString pauseLabel READ pauseLabel NOTIFY changed FINAL)
  Q_PROPERTY(QString pauseSymbol READ pauseSymbol NOTIFY changed FINAL)
  Q_PROPERTY(tempyra::Theme::Tint statusTint READ statusTint NOTIFY changed FINAL)
  Q_PROPERTY(QString statusText READ statusText NOTIFY changed FINAL)
  Q_PROPERTY(bool demo READ demo NOTIFY changed FINAL)
  // Closing the window should first say that monitoring goes on and how to quit: nothing else
  // (no tray item) shows that the application still runs, and it has not been said yet.
  Q_PROPERTY(bool closeNotice READ closeNotice NOTIFY changed FINAL)
  Q_PROPERTY(bool hasProblem READ hasProblem NOTIFY changed FINAL)
  Q_PROPERTY(QString problem READ problem NOTIFY changed FINAL)
  Q_PROPERTY(int appearanceIndex READ appearanceIndex NOTIFY changed FINAL)
  Q_PROPERTY(QStringList ranges READ ranges CONSTANT FINAL)  // "Last Hour" … "Last Month"
  Q_PROPERTY(int rangeIndex READ rangeIndex NOTIFY changed FINAL)
  Q_PROPERTY(tempyra::OverviewModel* overview READ overview CONSTANT FINAL)
  Q_PROPERTY(tempyra::IntelligenceModel* intelligence READ intelligence CONSTANT FINAL)
  Q_PROPERTY(tempyra::HistoryModel* history READ history CONSTANT FINAL)
  Q_PROPERTY(tempyra::ActivityModel* activity READ activity CONSTANT FINAL)
  Q_PROPERTY(tempyra::SensorsModel* sensors READ sensors CONSTANT FINAL)

 public:
  // The pages for QML, in sidebar order: the values of DashboardPage.
  enum class Page { Overview, ThermalIntelligence, History, Activity, Sensors, Settings, About };
  Q_ENUM(Page)

  explicit DashboardModel(MonitorSurface& monitor, QObject* parent = nullptr);

  bool active() const { return active_; }
  void setActive(bool active);
  bool confirmClear() const { return confirmClear_; }
  void setConfirmClear(bool on);

  QList<PageRow> pages() const { return v_.pages; }
  Page page() const { return static_cast<Page>(page_); }
  QString title() const { return v_.title; }
  QString subtitle() const { return v_.subtitle; }
  QStringList steps() const { return v_.steps; }
  bool showSteps() const { return v_.showSteps; }
  QString historyProblem() const { return v_.historyProblem; }
  QString pauseLabel() const { return v_.pauseLabel; }
  QString pauseSymbol() const { return v_.pauseSymbol; }
  Theme::Tint statusTint() const { return v_.statusTint; }
  QString statusText() const { return v_.statusText; }
  bool demo() const { return v_.demo; }
  bool closeNotice() const { return v_.closeNotice; }
  bool hasProblem() const { return v_.hasProblem; }
  QString problem() const { return v_.problem; }
  int appearanceIndex() const { return v_.appearanceIndex; }
  QStringList ranges() const;
  int rangeIndex() const { return v_.rangeIndex; }
  OverviewModel* overview() { return &overview_; }
  IntelligenceModel* intelligence() { return &intelligence_; }
  HistoryModel* history() { return &history_; }
  ActivityModel* activity() { return &activity_; }
  SensorsModel* sensors() { return &sensors_; }

  // The sidebar: selecting History reloads the history, even when it is already selected.
  void selectPage(DashboardPage page);
  Q_INVOKABLE void selectPage(tempyra::DashboardModel::Page page) {
    selectPage(static_cast<DashboardPage>(page));
  }
  Q_INVOKABLE void togglePause();
  // An index into the range picker's options; a new range reloads the history.
  Q_INVOKABLE void setRangeIndex(int index);
  Q_INVOKABLE void refreshHistory();
  // Hides the Overview's "while you were away" line until the next opening or wake that sums up.
  Q_INVOKABLE void dismissAway();
  Q_INVOKABLE void exportHistory();
  // The confirmation's destructive button: the only path that deletes history.
  Q_INVOKABLE void clearHistoryConfirmed();
  Q_INVOKABLE void dismissProblem();
  // Switches the numbered steps on every page at once.
  Q_INVOKABLE void setShowSteps(bool on);
  // The close notice was shown; it is not shown again.
  Q_INVOKABLE void closeNoticeShown();
  Q_INVOKABLE void quit() { emit quitRequested(); }
  // Whether a tray host shows the application's item (the shell tells).
  void setTrayShown(bool shown);

  void refresh();

  // What the charts draw: the loaded readings and events, in the chosen unit. chartsChanged()
  // says when any of them changed.
  const Readings& chartReadings() const;
  const Events& chartEvents() const;
  TemperatureUnit chartUnit() const { return chartUnit_; }

 signals:
  void changed();
  void chartsChanged();
  void activeChanged();
  void confirmClearChanged();
  void quitRequested();

 private:
  struct View {
    QList<PageRow> pages;
    QString title, subtitle;
    QStringList steps;
    bool showSteps = false;
    QString historyProblem, pauseLabel, pauseSymbol;
    Theme::Tint statusTint = Theme::Tint::Secondary;
    QString statusText;
    bool demo = false;
    bool closeNotice = false;
    bool hasProblem = false;
    QString problem;
    int appearanceIndex = -1;
    int rangeIndex = 0;
    friend bool operator==(const View&, const View&) = default;
  };

  // The sidebar, header, steps and status strip.
  void refreshChrome();
  // The pages that have a model of their own (Settings and About have none here).
  std::array<std::pair<DashboardPage, PageModel*>, 5> pageModels();

  MonitorSurface& monitor_;
  TemperatureUnit chartUnit_;
  DashboardPage page_ = DashboardPage::overview;
  HistoryRange range_ = HistoryRange::hour;
  bool active_ = false;
  bool confirmClear_ = false;
  bool trayShown_ = false;
  View v_;
  OverviewModel overview_;
  IntelligenceModel intelligence_;
  HistoryModel history_;
  ActivityModel activity_;
  SensorsModel sensors_;
};

}  // namespace tempyra
