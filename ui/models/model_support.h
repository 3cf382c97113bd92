#pragma once
// Small helpers of the view models: the plain logic's texts as Qt strings, how values show, and
// replacing a model's view only when it changed.
#include <QString>
#include <QStringList>

#include <string>
#include <utility>

#include "app/monitor_surface.h"
#include "ui/logic/text_format.h"

namespace tempyra {

inline QString qs(const std::string& text) { return QString::fromStdString(text); }

// Any range of std::string, or of items with a std::string `label`.
template <class Range>
QStringList qstrings(const Range& texts) {
  QStringList out;
  for (const auto& t : texts) {
    if constexpr (requires { t.label; }) {
      out << qs(t.label);
    } else {
      out << qs(t);
    }
  }
  return out;
}

// How metric values are shown at the moment of `live`.
inline ValueDisplay valueDisplay(const LiveState& live, const SetupState& setup) {
  return {setup.preferences.unit, live.stale, live.now};
}

// Replaces `current` with `next`; true when they differ, so the caller notifies.
template <class View>
bool replaceView(View& current, View next) {
  if (current == next) return false;
  current = std::move(next);
  return true;
}

}  // namespace tempyra
