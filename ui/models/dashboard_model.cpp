#include "ui/models/dashboard_model.h"

#include "app/monitor_surface.h"
#include "core/platform_words.h"
#include "ui/logic/settings_options.h"
#include "ui/logic/text_format.h"
#include "ui/models/model_support.h"

namespace tempyra {

namespace {

constexpr bool samePages() {
  using P = DashboardModel::Page;
  using D = DashboardPage;
  const std::pair<P, D> pairs[] = {
      {P::Overview, D::overview}, {P::ThermalIntelligence, D::thermalIntelligence},
      {P::History, D::history},   {P::Activity, D::activity},
      {P::Sensors, D::sensors},   {P::Settings, D::settings},
      {P::About, D::about}};
  for (const auto& [p, d] : pairs) {
    if (static_cast<int>(p) != static_cast<int>(d)) return false;
  }
  return true;
}
static_assert(samePages(), "DashboardModel::Page mirrors DashboardPage");

QString statusLine(const LiveState& live) {
  if (live.paused) return QStringLiteral("Paused · last readings are historical");
  if (live.asleep) return QStringLiteral("Sleeping");
  if (const auto& r = live.reading) {
    return qs("Local monitoring · " + timeOfDayWithSeconds(r->timestamp));
  }
  return QStringLiteral("Waiting for first sample");
}

}  // namespace

DashboardModel::DashboardModel(MonitorSurface& monitor, QObject* parent)
    : QObject(parent), monitor_(monitor), chartUnit_(monitor.setup().preferences.unit) {
  for (auto signal : {&MonitorSurface::liveChanged, &MonitorSurface::historyChanged,
                      &MonitorSurface::setupChanged, &MonitorSurface::defaultsChanged}) {
    connect(&monitor_, signal, this, &DashboardModel::refresh);
  }
  connect(&monitor_, &MonitorSurface::historyChanged, this, &DashboardModel::chartsChanged);
  connect(&monitor_, &MonitorSurface::setupChanged, this, [this] {
    const TemperatureUnit unit = monitor_.setup().preferences.unit;
    if (unit == chartUnit_) return;
    chartUnit_ = unit;
    emit chartsChanged();
  });
  refreshChrome();
}

const Readings& DashboardModel::chartReadings() const { return monitor_.history().readings; }
const Events& DashboardModel::chartEvents() const { return monitor_.history().events; }

void DashboardModel::setActive(bool active) {
  if (active == active_) return;
  active_ = active;
  if (!active_) {
    // Release what the closed window showed.
    for (const auto& entry : pageModels()) entry.second->clear();
    setConfirmClear(false);
  }
  emit activeChanged();
  refresh();
}

void DashboardModel::setConfirmClear(bool on) {
  if (on == confirmClear_) return;
  confirmClear_ = on;
  emit confirmClearChanged();
}

void DashboardModel::refresh() {
  // A closed window costs nothing: what it showed last stays until it opens again.
  if (!active_) return;
  refreshChrome();
  for (const auto& [page, model] : pageModels()) {
    if (page == page_) {
      model->refresh(monitor_);
    } else {
      model->clear();
    }
  }
}

void DashboardModel::refreshChrome() {
  const PageInfo& shown = pageInfo(page_);
  View v;
  for (const PageInfo& p : dashboardPages()) {
    v.pages.push_back({static_cast<int>(p.page), qs(p.name), qs(p.symbol), p.page == page_});
  }
  v.title = qs(shown.name);
  v.subtitle = qs(shown.subtitle);
  v.steps = qstrings(shown.steps);
  // The pause step names the tray icon only while one shows the application.
  if (shown.page == DashboardPage::overview && !trayShown_) {
    v.steps[2] = qs(std::string(platformWord(PlatformWord::overviewStepPauseNoIcon)));
  }
  const LiveState live = monitor_.live();
  v.showSteps = monitor_.defaults().boolean(kShowStepsKey).value_or(true);
  v.historyProblem = qs(problemText(monitor_.history().problem).value_or(""));
  v.pauseLabel =
      live.paused ? QStringLiteral("Resume Monitoring") : QStringLiteral("Pause Monitoring");
  v.pauseSymbol = live.paused ? QStringLiteral("play.fill") : QStringLiteral("pause.fill");
  const auto& r = live.reading;
  v.statusTint = Theme::qmlTint(
      tempyra::statusTint(live.stale, r ? std::optional(r->state) : std::nullopt));
  v.statusText = statusLine(live);
  v.demo = monitor_.setup().demo;
  v.closeNotice = !trayShown_ && monitor_.defaults().boolean(kShowCloseNoticeKey).value_or(true);
  v.hasProblem = live.problem.has_value();
  v.problem = qs(problemText(live.problem).value_or(""));
  v.appearanceIndex = optionIndex(appearanceOptions(),
                                  monitor_.defaults().string(kAppearanceKey).value_or("System"));
  v.rangeIndex = optionIndex(rangeOptions(), range_);
  if (replaceView(v_, std::move(v))) emit changed();
}

QStringList DashboardModel::ranges() const { return qstrings(rangeOptions()); }

std::array<std::pair<DashboardPage, PageModel*>, 5> DashboardModel::pageModels() {
  return {{{DashboardPage::overview, &overview_},
           {DashboardPage::thermalIntelligence, &intelligence_},
           {DashboardPage::history, &history_},
           {DashboardPage::activity, &activity_},
           {DashboardPage::sensors, &sensors_}}};
}

void DashboardModel::selectPage(DashboardPage page) {
  page_ = page;
  monitor_.setHistoryView(page_ == DashboardPage::history, range_);
  if (page_ == DashboardPage::history) monitor_.loadHistory();
  refresh();
}

void DashboardModel::togglePause() { monitor_.togglePause(); }

void DashboardModel::setRangeIndex(int index) {
  const auto* option = optionAt(rangeOptions(), index);
  if (!option || option->value == range_) return;
  range_ = option->value;
  monitor_.setHistoryView(page_ == DashboardPage::history, range_);
  monitor_.loadHistory();
  refresh();
}

void DashboardModel::dismissAway() { monitor_.dismissAway(); }

void DashboardModel::refreshHistory() { monitor_.loadHistory(); }
void DashboardModel::exportHistory() { monitor_.exportHistory(); }

void DashboardModel::clearHistoryConfirmed() {
  setConfirmClear(false);
  monitor_.clearHistory();
}

void DashboardModel::dismissProblem() { monitor_.clearProblem(); }

void DashboardModel::setShowSteps(bool on) {
  monitor_.defaults().setBoolean(kShowStepsKey, on);
  emit monitor_.defaultsChanged();
}

void DashboardModel::closeNoticeShown() {
  monitor_.defaults().setBoolean(kShowCloseNoticeKey, false);
  emit monitor_.defaultsChanged();
}

void DashboardModel::setTrayShown(bool shown) {
  trayShown_ = shown;
  refresh();
}

}  // namespace tempyra
