#pragma once
// Finding the desktop session bus without starting one.
#include "app/xdg_paths.h"

namespace tempyra {

// The address used when no session bus runs. It names no transport, so every connection to it
// fails at once and nothing is started.
inline constexpr const char* kNoSessionBusAddress = "disabled:";

// Whether a session bus is advertised: DBUS_SESSION_BUS_ADDRESS is set (to anything but
// kNoSessionBusAddress), or it is unset and $XDG_RUNTIME_DIR/bus is a socket (the per-user bus).
bool sessionBusAdvertised(const Environment& env);

// Without an advertised bus, the D-Bus library starts a bus of its own through dbus-launch at
// the first connection ("autolaunch"), and that daemon outlives the program. In that case this
// sets DBUS_SESSION_BUS_ADDRESS to kNoSessionBusAddress, so the program runs without session
// services (notifications) instead. REQUIRES: called before anything connects to the bus.
void avoidSessionBusAutolaunch();

}  // namespace tempyra
