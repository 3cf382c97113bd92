#pragma once
#include <filesystem>
#include <string>
#include <vector>

#include "providers/hardware_sensors.h"

namespace tempyra {

// Temperatures and fans from the kernel's hardware-monitoring drivers (/sys/class/hwmon below
// `root`), for machines without the Apple controller. The same shape of metrics as the
// controller reader: "Battery temperature", "GPU temperature" and "CPU temperature" from the
// drivers known to measure those parts (the source names the sensors averaged), then every
// plausible sensor as "Sensor <chip> <label>", then "Fan N".
// Channels are discovered at construction; values are read at every sample.
// REQUIRES: one caller at a time.
class HwmonSensors final : public HardwareSensors {
 public:
  explicit HwmonSensors(const std::filesystem::path& root);

  const std::string& status() const override { return status_; }
  std::vector<Metric> sample(double at) override;

 private:
  struct Channel {
    std::string driver; // the driver's name, which says what the chip measures
    std::string chip;   // the driver's name, made unique when two chips share it
    std::string label;  // temp*_label, or "tempN" when the driver gives none
    std::string file;   // "temp1_input", named in the source
    std::string input;  // full path
    std::string fault;  // full path of the fault flag (may not exist)
  };
  std::vector<Channel> temps_;
  std::vector<Channel> fans_;
  std::string status_;
  bool anyChip_ = false;
};

}  // namespace tempyra
