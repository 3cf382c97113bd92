#include "app/session_bus.h"

#include <cstdlib>
#include <filesystem>

namespace tempyra {

bool sessionBusAdvertised(const Environment& env) {
  if (const auto address = env("DBUS_SESSION_BUS_ADDRESS"); address && !address->empty()) {
    return *address != kNoSessionBusAddress;
  }
  const auto runtime = env("XDG_RUNTIME_DIR");
  if (!runtime || runtime->empty() || (*runtime)[0] != '/') return false;
  std::error_code ec;
  return std::filesystem::is_socket(std::filesystem::path(*runtime) / "bus", ec);
}

void avoidSessionBusAutolaunch() {
  if (!sessionBusAdvertised(processEnvironment())) {
    setenv("DBUS_SESSION_BUS_ADDRESS", kNoSessionBusAddress, 1);
  }
}

}  // namespace tempyra
