#include "ui/models/dashboard_model.h"

#include "core/platform_words.h"
#include "ui/logic/settings_options.h"
#include "ui/logic/text_format.h"
#include "ui/models/model_support.h"
#include "ui/models/monitor_port.h"

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

QString statusLine(const MonitorPort& port) {
  if (port.paused()) return QStringLiteral("Paused · last readings are historical");
  if (port.asleep()) return QStringLiteral("Sleeping");
  if (const auto& r = port.reading()) {
    return qs("Local monitoring · " + timeOfDayWithSeconds(r->timestamp));
  }
  return QStringLiteral("Waiting for first sample");
}

}  // namespace

DashboardModel::DashboardModel(MonitorPort& port, QObject* parent)
    : QObject(parent), port_(port) {
  connect(&port_, &MonitorPort::changed, this, &DashboardModel::refresh);
  connect(&port_, &MonitorPort::defaultsChanged, this, &DashboardModel::refresh);
  refreshChrome();
}

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
      model->refresh(port_);
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
  v.showSteps = port_.defaults().boolean(kShowStepsKey).value_or(true);
  v.historyProblem = qs(port_.historyProblem().value_or(""));
  v.pauseLabel =
      port_.paused() ? QStringLiteral("Resume Monitoring") : QStringLiteral("Pause Monitoring");
  v.pauseSymbol = port_.paused() ? QStringLiteral("play.fill") : QStringLiteral("pause.fill");
  const auto& r = port_.reading();
  v.statusTint = Theme::qmlTint(
      tempyra::statusTint(port_.stale(), r ? std::optional(r->state) : std::nullopt));
  v.statusText = statusLine(port_);
  v.demo = port_.demo();
  v.closeNotice = !trayShown_ && port_.defaults().boolean(kShowCloseNoticeKey).value_or(true);
  v.hasProblem = port_.problem().has_value();
  v.problem = qs(port_.problem().value_or(""));
  v.appearanceIndex = optionIndex(appearanceOptions(),
                                  port_.defaults().string(kAppearanceKey).value_or("System"));
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
  port_.setHistoryView(page_ == DashboardPage::history, range_);
  if (page_ == DashboardPage::history) port_.loadHistory();
  refresh();
}

void DashboardModel::togglePause() { port_.togglePause(); }

void DashboardModel::setRangeIndex(int index) {
  const auto* option = optionAt(rangeOptions(), index);
  if (!option || option->value == range_) return;
  range_ = option->value;
  port_.setHistoryView(page_ == DashboardPage::history, range_);
  port_.loadHistory();
  refresh();
}

void DashboardModel::dismissAway() { port_.dismissAway(); }

void DashboardModel::refreshHistory() { port_.loadHistory(); }
void DashboardModel::exportHistory() { port_.exportHistory(); }

void DashboardModel::clearHistoryConfirmed() {
  setConfirmClear(false);
  port_.clearHistory();
}

void DashboardModel::dismissProblem() { port_.clearProblem(); }

void DashboardModel::setShowSteps(bool on) {
  port_.defaults().setBoolean(kShowStepsKey, on);
  emit port_.defaultsChanged();
}

void DashboardModel::closeNoticeShown() {
  port_.defaults().setBoolean(kShowCloseNoticeKey, false);
  emit port_.defaultsChanged();
}

void DashboardModel::setTrayShown(bool shown) {
  trayShown_ = shown;
  refresh();
}

}  // namespace tempyra
