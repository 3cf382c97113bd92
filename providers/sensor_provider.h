#pragma once
#include <string>

#include "core/device_profile.h"
#include "core/reading.h"

namespace tempyra {

// The source of every observation. A provider never fails: whatever it cannot observe is
// reported inside the reading (a metric without value, the state unknown, an explanatory
// source or quality text).
//
// Providers hold no locks. REQUIRES: every call comes from one thread at a time (the monitor's
// sampling queue).
class SensorProvider {
 public:
  virtual ~SensorProvider() = default;

  // The machine and what this provider can observe, including what the latest sample settled.
  virtual DeviceProfile profile() const = 0;

  // One complete reading stamped `at` (seconds since 1970), carrying `segment` unchanged; its
  // activity list is empty when includeProcesses is false.
  virtual Reading sample(double at, const std::string& segment, bool includeProcesses) = 0;

  // Forget what is carried from one sample to the next: the next sample sets new baselines.
  virtual void reset() = 0;
};

}  // namespace tempyra
