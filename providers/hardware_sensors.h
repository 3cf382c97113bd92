#pragma once
#include <string>
#include <vector>

#include "core/metric.h"

namespace tempyra {

// A reader of hardware temperatures and fan speeds. The metrics always open with the three
// group metrics "Battery temperature", "GPU temperature", "CPU temperature" (with or without a
// value), then individual temperatures, then fan metrics (one per fan, or one "Fan speed"
// without value that says why).
// REQUIRES: one caller at a time.
class HardwareSensors {
 public:
  virtual ~HardwareSensors() = default;
  // One line saying whether and how the hardware is observed. Read after each sample: a reader
  // may learn more from one (the controller reader's is fixed after construction).
  virtual const std::string& status() const = 0;
  // Reads the hardware now; every metric is stamped `at`. Never fails.
  virtual std::vector<Metric> sample(double at) = 0;

  // The profile's fan summary when `fansWithValue` fans (> 0) had a speed in the latest sample.
  virtual std::string fanSummary(int fansWithValue) const {
    return std::to_string(fansWithValue) + " controller-reported fan(s)";
  }
  // What the latest sample settled about the battery temperature.
  virtual std::string batteryStatus() const { return status(); }
};

}  // namespace tempyra
