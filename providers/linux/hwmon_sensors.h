#pragma once
#include <cstddef>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "providers/hardware_sensors.h"
#include "providers/linux/nvidia_gpus.h"
#include "providers/linux/sys_root.h"

namespace tempyra {

class ThermalZones;

// Temperatures and fans of a Linux machine: every hwmon chip below `root` (applesmc included,
// whose channels are labelled with controller keys) and the temperatures of the thermal zones.
// The group metrics follow the drivers known to measure a part, best first (for the CPU the
// coretemp package, then k10temp Tdie and Tctl, ARM CPU zones, x86_pkg_temp, Super-I/O TSI and
// PECI channels); controller keys fill a group only where no driver sensor does. Then every
// channel as "Sensor <chip> <label>", every zone as "Zone <type>", then the fans.
//
// Names are stable from boot to boot: chips that share a driver name are told apart by their
// device ("nvme 0000:01:00.0"), never by the hwmonN number the kernel hands out at boot.
// A PCI device that is not awake (a discrete GPU runtime-suspended) is not read, since reading
// it would wake it; NVIDIA GPUs on NVIDIA's driver, which register no hwmon chip, are read
// through their management library under the same rule (NvidiaGpus) and stand for the GPU
// where no hwmon GPU driver reads one. Known placeholder values of a driver are dropped, not shown; unreadable or
// implausible values are shown without value, saying why.
//
// Chips and channels are discovered at construction; values are read at every sample.
// REQUIRES: one caller at a time; `zones` (may be null) is evaluated by its owner before each
// sample, whose latest evaluation this reader shows.
class HwmonSensors final : public HardwareSensors {
 public:
  // `nvidia` reads the NVIDIA GPUs on NVIDIA's driver; one over the installed library when null.
  explicit HwmonSensors(const std::filesystem::path& root, std::shared_ptr<ThermalZones> zones = nullptr,
                        SysRoot::Resolution resolution = SysRoot::Resolution::automatic,
                        std::unique_ptr<NvidiaGpus> nvidia = nullptr);

  const std::string& status() const override { return status_; }
  std::vector<Metric> sample(double at) override;
  std::string fanSummary(int fansWithValue) const override;
  std::string batteryStatus() const override { return batteryStatus_; }

  // Individual sensor metrics per reading (channels, zones and fans); the rest is summarised in
  // the status.
  static constexpr std::size_t kMaxSensorMetrics = 256;

 private:
  struct Chip {
    std::string driver;         // the driver's name, which says what the chip measures
    std::string name;           // the driver's name, with the device when several share it
    std::string device;         // the device's bus address or name, for telling chips apart
    std::string dir;            // attribute directory below the root
    std::string pciDevice;      // the PCI function below the root, whose power state rules; may be empty
    std::string hwmon;          // "hwmon3", the last resort for ordering
    bool superIo = false;       // placeholders of unconnected inputs, idle fan headers
    bool gpu = false;
  };
  struct Channel {
    std::size_t chip;
    std::string label;  // temp*_label or fan*_label, cleaned; "tempN" when a temperature has none
    std::string file;   // "temp1_input", named in the source
    std::string name;   // the metric name
    std::string input;  // path of the input below the root
    std::string fault;  // path of its fault flag; empty when the driver has none
    bool spun = false;  // a Super-I/O fan header that has ever read above 0
  };

  void discover(const std::vector<std::string>& zoneTypes);

  SysRoot root_;
  std::shared_ptr<ThermalZones> zones_;
  std::unique_ptr<NvidiaGpus> nvidia_;
  std::vector<Chip> chips_;
  std::vector<Channel> temps_;
  std::vector<Channel> fans_;
  std::size_t channelsDropped_ = 0;
  bool anyZone_ = false;  // the kernel lists thermal zones, shown beside the chips
  std::string baseStatus_;
  std::string status_;
  std::string batteryStatus_;
};

}  // namespace tempyra
