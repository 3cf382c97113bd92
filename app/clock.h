#pragma once
namespace tempyra {

// The wall clock the monitor reads for every "now". Tests inject a settable clock.
// REQUIRES: now() may be called from the main thread and the sampling queue concurrently.
class Clock {
 public:
  virtual ~Clock() = default;
  // Seconds since 1970 UTC.
  virtual double now() const = 0;
};

// The system's real-time clock.
class SystemClock final : public Clock {
 public:
  double now() const override;
};

}  // namespace tempyra
