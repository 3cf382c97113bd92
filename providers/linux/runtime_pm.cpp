#include "providers/linux/runtime_pm.h"

#include "providers/linux/sys_text.h"

namespace tempyra {

DevicePower devicePower(const SysRoot& root, std::string_view device) {
  DevicePower power;
  const std::string dir = std::string(device) + "/power/";
  const auto status = root.attribute(dir + "runtime_status");
  if (!status) {
    if (status.error() != "missing") {
      power.state = DevicePower::State::unsure;
      power.why = "runtime_status " + status.error();
    }
  } else if (*status == "suspended" || *status == "suspending") {
    power.state = DevicePower::State::asleep;
    power.why = "runtime_status " + *status;
  } else if (*status != "active") {
    // Resuming, or a runtime PM error: the device is not known to be powered. The next sample
    // looks again.
    power.state = DevicePower::State::unsure;
    power.why = "runtime_status " + (status->empty() ? std::string("empty") : cleanText(*status).substr(0, 40));
  }
  // A sleeping device costs this one read; its control word matters only when it is read.
  if (power.readable()) power.keptOn = root.attribute(dir + "control").ok() == "on";
  return power;
}

}  // namespace tempyra
