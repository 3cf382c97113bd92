#pragma once
#include <string>
#include <vector>

#include "core/metric.h"

namespace tempyra {

// A reader of hardware temperatures and fan speeds. The metrics always open with the three
// group metrics "Battery temperature", "GPU temperature", "CPU temperature" (with or without a
// value), then individual temperatures, then fan metrics ("Fan N", or one "Fan speed" without
// value that says why).
// REQUIRES: one caller at a time.
class HardwareSensors {
 public:
  virtual ~HardwareSensors() = default;
  // One line saying whether and how the hardware is observed; fixed after construction.
  virtual const std::string& status() const = 0;
  // Reads the hardware now; every metric is stamped `at`. Never fails.
  virtual std::vector<Metric> sample(double at) = 0;
};

}  // namespace tempyra
