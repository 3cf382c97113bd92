#include "ui/models/sensors_model.h"

#include <QSysInfo>

#include "app/monitor_surface.h"
#include "core/platform_words.h"
#include "ui/logic/text_format.h"
#include "ui/models/model_support.h"

namespace tempyra {

void SensorsModel::refresh(const MonitorSurface& monitor) {
  View v;
  const SetupState setup = monitor.setup();
  const LiveState live = monitor.live();
  const DeviceProfile& p = setup.profile;
  // The headline names the machine: the profile's model, else the host name.
  v.model = qs(p.model);
  if (p.model.empty() || p.model == kNotAvailable) {
    const QString host = QSysInfo::machineHostName();
    v.model = host.isEmpty() ? qs(std::string(platformWord(PlatformWord::thisMachine))) : host;
  }
  v.architecture = qs(p.architecture);
  v.os = qs(p.os);
  v.fans = qs(p.fans);
  for (const auto& [key, value] : p.capabilities) {  // a std::map: ascending keys
    v.capabilities.push_back({qs(std::string(capabilityLabel(key))), qs(value)});
  }
  if (const auto& r = live.reading) {
    const ValueDisplay display = valueDisplay(live, setup);
    const bool advanced = setup.preferences.advanced;
    std::vector<const Metric*> all{&r->cpu};
    for (const Metric& m : r->sensors) all.push_back(&m);
    for (const Metric* m : all) {
      const std::string quality = advanced ? "Quality: " + m->quality + " · " +
                                                 dateAndTime(m->timestamp) + " · unit " + m->unit
                                           : std::string();
      const std::string value = m == &r->cpu ? cpuLoadText(r, display) : display(*m);
      v.metrics.push_back({qs(m->name), qs(value), qs(m->source), qs(quality)});
    }
  }
  if (replaceView(v_, std::move(v))) emit changed();
}

void SensorsModel::clear() {
  if (replaceView(v_, View{})) emit changed();
}

}  // namespace tempyra
