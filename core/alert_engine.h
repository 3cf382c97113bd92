#pragma once
#include <optional>

#include "core/alert_settings.h"
#include "core/calendar.h"
#include "core/reading.h"

namespace tempyra {

// Decides, reading by reading, whether sustained serious or critical pressure deserves an
// alert now. Posting it is the owner's work.
class AlertEngine {
 public:
  explicit AlertEngine(std::optional<double> lastAlert = std::nullopt) : last_(lastAlert) {}

  // True: alert now for reading.state (the alert time is already recorded).
  // Only reading.timestamp and reading.state are used.
  bool evaluate(const Reading& reading, const AlertSettings& settings, double now,
                const Calendar& calendar, double freshness);

  // Forget the current hot run; the time of the last alert stays.
  void resetContinuity();

  std::optional<double> hotSince() const { return hotSince_; }
  std::optional<double> lastAlert() const { return last_; }
  std::optional<ThermalState> lastState() const { return lastState_; }

 private:
  std::optional<double> hotSince_;
  std::optional<double> last_;
  std::optional<ThermalState> lastState_;
};

}  // namespace tempyra
