#include "ui/models/activity_model.h"

#include "app/monitor_surface.h"
#include "ui/logic/text_format.h"
#include "ui/models/model_support.h"

namespace tempyra {

void ActivityModel::refresh(const MonitorSurface& monitor) {
  View v;
  const bool enabled = monitor.setup().preferences.activity;
  const LiveState live = monitor.live();
  if (enabled && live.reading) {
    for (const ProcessActivity& a : live.reading->activity) {
      v.rows.push_back({qs(a.name), qs(fixed(a.cpu, 1) + "%")});
    }
  }
  v.showDisabled = !enabled;
  v.showEmpty = enabled && v.rows.isEmpty();
  if (replaceView(v_, std::move(v))) emit changed();
}

void ActivityModel::clear() {
  if (replaceView(v_, View{})) emit changed();
}

}  // namespace tempyra
