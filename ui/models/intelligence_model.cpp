#include "ui/models/intelligence_model.h"

#include "app/monitor_surface.h"
#include "ui/logic/text_format.h"
#include "ui/models/model_support.h"

namespace tempyra {

IntelligenceModel::IntelligenceModel(QObject* parent) : PageModel(parent) {
  for (ThermalState s : kAllThermalStates) {
    const int tint = static_cast<int>(Theme::qmlTint(stateTint(s)));
    states_.push_back({tint, qs(title(s)), qs(explanation(s))});
  }
}

void IntelligenceModel::refresh(const MonitorSurface& monitor) {
  View v;
  if (const auto advice = monitor.live().advice) {
    v.headline = qs(advice->headline);
    v.detail = qs(advice->detail);
    v.evidence = qstrings(advice->evidence);
  } else {
    v.headline = QStringLiteral("Waiting for readings");
  }
  if (replaceView(v_, std::move(v))) emit changed();
}

void IntelligenceModel::clear() {
  if (replaceView(v_, View{})) emit changed();
}

}  // namespace tempyra
