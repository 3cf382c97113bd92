#pragma once
// The system notifications the sampling loop reacts to.
#include <functional>

namespace tempyra {

struct SystemEventHandlers {
  std::function<void()> thermalStateChanged;
  std::function<void()> willSleep;
  std::function<void()> didWake;
  std::function<void()> clockChanged;
};

// A source that cannot be watched on this system (no logind, no power-profiles daemon) simply
// never delivers its event; that is not an error.
// REQUIRES: main thread only; handlers are invoked on the main thread.
class SystemEvents {
 public:
  virtual ~SystemEvents() = default;
  // Installs the handlers (replacing earlier ones) and starts watching.
  virtual void start(SystemEventHandlers handlers) = 0;
  // The system's low-power mode as last known; false when it cannot be observed.
  virtual bool lowPowerMode() const = 0;
};

}  // namespace tempyra
