#include "ui/shell/monitor_adapter.h"

namespace tempyra {

MonitorAdapter::MonitorAdapter(Monitor& monitor, std::shared_ptr<Clock> clock, bool demo,
                               QObject* parent)
    : MonitorPort(parent), m_(monitor), clock_(std::move(clock)), demo_(demo) {
  for (auto signal : {&Monitor::readingChanged, &Monitor::pausedChanged, &Monitor::asleepChanged,
                      &Monitor::problemChanged, &Monitor::historyProblemChanged,
                      &Monitor::permissionChanged, &Monitor::preferencesChanged,
                      &Monitor::loginStatusChanged, &Monitor::profileChanged,
                      &Monitor::awayChanged, &Monitor::metricsChanged}) {
    connect(&m_, signal, this, &MonitorPort::changed);
  }
  for (auto signal : {&Monitor::historyChanged, &Monitor::eventsChanged,
                      &Monitor::durationsChanged, &Monitor::episodesChanged}) {
    connect(&m_, signal, this, &MonitorPort::changed);
    connect(&m_, signal, this, &MonitorPort::historyChanged);
  }
  connect(&m_, &Monitor::preferencesChanged, this, &MonitorPort::historyChanged);
}

void MonitorAdapter::resetPreferences() {
  m_.resetPreferences();
  // The reset also wrote the appearance.
  emit defaultsChanged();
}

}  // namespace tempyra
