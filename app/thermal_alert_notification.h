#pragma once
// What the user sees when sustained serious or critical pressure is reported.
#include <string>

#include "app/notification_center.h"
#include "core/thermal_state.h"

namespace tempyra {

// Title "<state title> thermal pressure"; the body names the state in lower case.
UserNotification thermalAlertNotification(ThermalState state, std::string identifier);

}  // namespace tempyra
