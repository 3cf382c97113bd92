#include "ui/models/dashboard_model.h"

#include <QStringList>
#include <QVariantList>

#include <cerrno>
#include <cmath>
#include <cstdlib>

#include "ui/logic/dashboard_pages.h"
#include "ui/models/monitor_port.h"
#include "ui/logic/settings_options.h"
#include "ui/logic/text_format.h"

namespace tempyra {

namespace {

QString q(const std::string& s) { return QString::fromStdString(s); }

QString eventTime(const std::string& text) {
  char* end = nullptr;
  errno = 0;
  const double t = std::strtod(text.c_str(), &end);
  if (text.empty() || errno != 0 || *end != '\0' || !std::isfinite(t)) return q(text);
  return q(abbreviatedDateTime(t));
}

std::string field(const EventRow& row, const char* key) {
  const auto it = row.find(key);
  return it == row.end() ? std::string() : it->second;
}

QVariantList sensorRows(const MonitorPort& port, const Reading& reading) {
  QVariantList rows;
  for (const Metric& m : reading.sensors) {
    if (m.name.rfind("Sensor ", 0) == 0) continue;
    rows << QVariantMap{{"name", q(m.name)}, {"value", q(port.valueDisplay()(m))}};
  }
  return rows;
}

QVariantMap overview(const MonitorPort& port) {
  const auto& r = port.reading();
  const bool stale = port.stale();
  QVariantMap c;
  c["symbol"] = stale ? QStringLiteral("thermometer.slash") : QStringLiteral("thermometer.medium");
  c["tint"] = static_cast<int>(statusTint(stale, r ? std::optional(r->state) : std::nullopt));
  c["title"] = stale ? QStringLiteral("Waiting for fresh readings")
                     : (r ? q(title(r->state)) : QStringLiteral("Waiting"));
  const auto advice = port.advice();
  c["headline"] = advice ? q(advice->headline) : QStringLiteral("Monitoring will begin shortly.");
  c["cpu"] = r ? q(port.valueDisplay()(r->cpu)) : QStringLiteral("Establishing baseline");
  c["powerSource"] = r ? q(r->power.source) : QStringLiteral("Not available");
  c["battery"] = r && r->power.battery ? q("Battery " + fixed(*r->power.battery, 0) + "%")
                                       : QStringLiteral("Battery level not available");
  QString charging = QStringLiteral("Charging status unavailable");
  if (r && r->power.charging) {
    charging = *r->power.charging ? QStringLiteral("Charging") : QStringLiteral("Not charging");
  }
  c["charging"] = charging;
  c["sensors"] = r ? sensorRows(port, *r) : QVariantList();
  return c;
}

QVariantMap intelligence(const MonitorPort& port) {
  QVariantMap c;
  const auto advice = port.advice();
  c["headline"] = advice ? q(advice->headline) : QStringLiteral("Waiting for readings");
  c["detail"] = advice ? q(advice->detail) : QString();
  QStringList evidence;
  if (advice) {
    for (const auto& e : advice->evidence) evidence << q(e);
  }
  c["evidence"] = evidence;
  QVariantList states;
  for (ThermalState s : kAllThermalStates) {
    states << QVariantMap{{"tint", static_cast<int>(stateTint(s))},
                          {"title", q(title(s))},
                          {"explanation", q(explanation(s))}};
  }
  c["states"] = states;
  return c;
}

QVariantMap historyPage(const MonitorPort& port, HistoryRange range) {
  QVariantMap c;
  QStringList ranges;
  for (const auto& o : rangeOptions()) ranges << q(o.label);
  c["ranges"] = ranges;
  c["rangeIndex"] = optionIndex(rangeOptions(), range);
  QVariantList durations;
  for (ThermalState s : kAllThermalStates) {
    const auto it = port.durations().find(s);
    durations << QVariantMap{{"title", q(title(s))},
                             {"text", q(durationText(it == port.durations().end() ? 0 : it->second))}};
  }
  c["durations"] = durations;
  QVariantList events;
  for (const EventRow& e : port.events()) {
    events << QVariantMap{{"time", eventTime(field(e, "time"))},
                          {"kind", q(field(e, "kind"))},
                          {"detail", q(field(e, "detail"))}};
  }
  c["hasEvents"] = !events.isEmpty();
  c["events"] = events;
  const TemperatureChartData t =
      temperatureChartData(port.history(), port.preferences().unit);
  c["hasTemperatures"] = t.highest.has_value();
  c["temperatureSummary"] = q(t.summary);
  return c;
}

QVariantMap activity(const MonitorPort& port) {
  QVariantMap c;
  const bool enabled = port.preferences().activity;
  c["enabled"] = enabled;
  QVariantList rows;
  if (enabled && port.reading()) {
    for (const ProcessActivity& a : port.reading()->activity) {
      rows << QVariantMap{{"id", a.id},
                          {"name", q(a.name)},
                          {"share", q(fixed(a.cpu, 1) + "%")}};
    }
  }
  c["showDisabled"] = !enabled;
  c["showEmpty"] = enabled && rows.isEmpty();
  c["rows"] = rows;
  return c;
}

QVariantMap sensors(const MonitorPort& port) {
  QVariantMap c;
  const DeviceProfile& p = port.profile();
  c["model"] = q(p.model);
  c["architecture"] = q(p.architecture);
  c["os"] = q(p.os);
  c["fans"] = q(p.fans);
  QVariantList caps;
  for (const auto& [key, value] : p.capabilities) {  // std::map: ascending keys
    caps << QVariantMap{{"key", q(key)}, {"value", q(value)}};
  }
  c["capabilities"] = caps;
  QVariantList metrics;
  const bool advanced = port.preferences().advanced;
  if (const auto& r = port.reading()) {
    std::vector<const Metric*> all{&r->cpu};
    for (const Metric& m : r->sensors) all.push_back(&m);
    for (const Metric* m : all) {
      QString quality;
      if (advanced) {
        quality = QStringLiteral("Quality: ") + q(m->quality) + QStringLiteral(" · ") +
                  q(dateAndTime(m->timestamp)) + QStringLiteral(" · unit ") + q(m->unit);
      }
      metrics << QVariantMap{{"name", q(m->name)},
                             {"value", q(port.valueDisplay()(*m))},
                             {"source", q(m->source)},
                             {"quality", quality}};
    }
  }
  c["metrics"] = metrics;
  return c;
}

}  // namespace

DashboardModel::DashboardModel(MonitorPort& port, QObject* parent)
    : QObject(parent), port_(port) {
  connect(&port_, &MonitorPort::changed, this, &DashboardModel::refresh);
  connect(&port_, &MonitorPort::defaultsChanged, this, &DashboardModel::refresh);
}

void DashboardModel::setActive(bool active) {
  if (active == active_) return;
  active_ = active;
  if (!active_) {
    // Release what the closed window showed.
    view_.clear();
    confirmClear_ = false;
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
  if (!active_) return;
  const PageInfo& shown = pageInfo(page_);
  QVariantMap v;
  QVariantList pages;
  for (const PageInfo& p : dashboardPages()) {
    pages << QVariantMap{{"name", q(p.name)},
                         {"symbol", q(p.symbol)},
                         {"page", static_cast<int>(p.page)},
                         {"selected", p.page == page_}};
  }
  v["pages"] = pages;
  v["page"] = q(shown.name);
  v["title"] = q(shown.name);
  v["pageFile"] = q(shown.name).remove(QLatin1Char(' ')) + QStringLiteral("Page.qml");
  v["subtitle"] = q(shown.subtitle);
  QStringList steps;
  for (const auto& s : shown.steps) steps << q(s);
  v["steps"] = steps;
  v["showSteps"] = port_.defaults().boolean(kShowStepsKey).value_or(true);
  v["historyProblem"] = q(port_.historyProblem().value_or(""));
  v["pauseLabel"] =
      port_.paused() ? QStringLiteral("Resume Monitoring") : QStringLiteral("Pause Monitoring");
  v["pauseSymbol"] = port_.paused() ? QStringLiteral("play.fill") : QStringLiteral("pause.fill");
  const auto& r = port_.reading();
  const bool stale = port_.stale();
  v["statusTint"] = static_cast<int>(statusTint(stale, r ? std::optional(r->state) : std::nullopt));
  QString status;
  if (port_.paused()) {
    status = QStringLiteral("Paused · last readings are historical");
  } else if (port_.asleep()) {
    status = QStringLiteral("Sleeping");
  } else if (r) {
    status = QStringLiteral("Local monitoring · ") + q(timeOfDayWithSeconds(r->timestamp));
  } else {
    status = QStringLiteral("Waiting for first sample");
  }
  v["statusText"] = status;
  v["demo"] = port_.demo();
  v["problem"] = q(port_.problem().value_or(""));
  v["hasProblem"] = port_.problem().has_value();
  v["appearanceIndex"] = optionIndex(
      appearanceOptions(), port_.defaults().string(kAppearanceKey).value_or("System"));

  switch (page_) {
    case DashboardPage::overview: v["content"] = overview(port_); break;
    case DashboardPage::thermalIntelligence: v["content"] = intelligence(port_); break;
    case DashboardPage::history: v["content"] = historyPage(port_, range_); break;
    case DashboardPage::activity: v["content"] = activity(port_); break;
    case DashboardPage::sensors: v["content"] = sensors(port_); break;
    default: v["content"] = QVariantMap(); break;
  }
  if (v != view_) {
    view_ = v;
    emit viewChanged();
  }
}

void DashboardModel::selectPage(int page) {
  if (page < 0 || page > static_cast<int>(DashboardPage::about)) return;
  page_ = static_cast<DashboardPage>(page);
  port_.setHistoryView(page_ == DashboardPage::history, range_);
  // Reloads even when History is already selected.
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

}  // namespace tempyra
