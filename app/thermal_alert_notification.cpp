#include "app/thermal_alert_notification.h"

#include <algorithm>
#include <cctype>

#include "core/platform_words.h"

namespace tempyra {

UserNotification thermalAlertNotification(ThermalState state, std::string identifier) {
  const std::string& stateTitle = title(state);
  std::string lower = stateTitle;
  std::transform(lower.begin(), lower.end(), lower.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return {std::move(identifier), stateTitle + " thermal pressure",
          std::string(platformWord(PlatformWord::alertBodyOpening)) + lower +
              " thermal pressure. Consider pausing demanding work and checking ventilation."};
}

}  // namespace tempyra
