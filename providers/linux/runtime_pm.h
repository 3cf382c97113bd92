#pragma once
// Whether a PCI device may be read now without waking it or keeping it awake.
#include <string>
#include <string_view>

#include "providers/linux/sys_root.h"

namespace tempyra {

// The runtime power state of one device, from its power/runtime_status and power/control.
// Every reader of a PCI device (hwmon chips, the NVIDIA management library) asks this before
// touching it: a read of a runtime-suspended GPU resumes it, and costs battery for nothing.
struct DevicePower {
  enum class State {
    awake,   // "active", or no runtime PM at all (the kernel has none, so nothing sleeps)
    asleep,  // "suspended" or "suspending"
    unsure,  // "resuming", "error", another word, or a state file that cannot be read
  };
  State state = State::awake;
  // power/control is "on": runtime PM may not suspend the device (desktops, most dGPUs on AC).
  // Anything else ("auto", unreadable) counts as allowed to sleep.
  bool keptOn = false;
  // The state in words for a device that is not read: "runtime_status suspended",
  // "runtime_status not a regular file". Empty when awake.
  std::string why;

  bool readable() const { return state == State::awake; }
};

// `device` is the device's directory below the root ("sys/bus/pci/devices/0000:01:00.0").
// Reads one or two small attributes, never blocking (a FIFO there is refused, not read).
DevicePower devicePower(const SysRoot& root, std::string_view device);

}  // namespace tempyra
