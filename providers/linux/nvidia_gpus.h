#pragma once
#include <cstddef>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/metric.h"
#include "providers/linux/nvml_library.h"
#include "providers/linux/runtime_pm.h"
#include "providers/linux/sys_root.h"

namespace tempyra {

// NVIDIA GPUs on NVIDIA's own driver, which registers no hwmon device: found in sysfs as PCI
// functions of vendor 0x10de with a display class bound to the "nvidia" driver, read through
// the NVIDIA management library loaded on first need (never at construction, never when no
// such GPU exists).
//
// A GPU that sleeps is never woken and never held awake. Before any library call in a sample
// every NVIDIA function's power/runtime_status is read; unless all are awake the sample makes
// no call at all, not even nvmlInit_v2. Where runtime PM may suspend a GPU (power/control is
// not "on"), the library is initialised, read and shut down within the one sample, so no
// handle lives between samples: an open handle keeps the GPU's usage count up and the GPU from
// ever suspending. Where every GPU is kept on (desktops), the library stays initialised.
// Handles are looked up by bus address, never by index.
//
// Per GPU: "Sensor nvidia <bus>" (core temperature, with the slowdown and shutdown thresholds
// and any heat or power clock-event reasons in its source), "Sensor nvidia <bus> board power"
// in W, and "Sensor nvidia <bus> fan N" in percent of the fan's maximum (NVML reports no
// RPM). Values the library cannot give, or gives implausibly, are absent with the reason.
// REQUIRES: one caller at a time.
class NvidiaGpus {
 public:
  using Log = std::function<void(const std::string&)>;

  // `library` is NvmlLibrary::kName in production; `log` gets one line each time the reason
  // for a GPU being unread changes (stderr when empty).
  explicit NvidiaGpus(const std::filesystem::path& root, std::string library = NvmlLibrary::kName,
                      Log log = {}, SysRoot::Resolution resolution = SysRoot::Resolution::automatic);
  ~NvidiaGpus();
  NvidiaGpus(const NvidiaGpus&) = delete;
  NvidiaGpus& operator=(const NvidiaGpus&) = delete;

  // A core temperature that may stand for "GPU temperature".
  struct Temperature {
    std::string name;    // "nvidia 0000:01:00.0"
    std::string detail;  // "slowdown 87 °C · shutdown 92 °C"; may be empty
    double celsius = 0;
  };
  struct Sample {
    std::vector<Metric> sensors;
    std::vector<Temperature> temperatures;
    // Why no GPU temperature came from here, for the group metric: "GPU asleep · nvidia
    // 0000:01:00.0 not woken to read it". Empty when some temperature was read.
    std::string why;
  };

  bool empty() const { return gpus_.empty(); }
  // The bus addresses of the GPUs found, and the directory of each below the root.
  std::vector<std::pair<std::string, std::string>> devices() const;
  Sample sample(double at);
  // One clause for the hardware status, e.g. "nvidia 0000:01:00.0 through NVML, released after
  // each sample"; empty when there is no NVIDIA GPU.
  const std::string& status() const { return status_; }

  // Seconds from nvmlInit_v2 (or the first call while the library stays initialised) to the
  // end of the last call of the latest sample; absent when that sample made no call.
  std::optional<double> lastCallSeconds() const { return lastCallSeconds_; }
  // Seconds the library took to load; absent until it was loaded.
  std::optional<double> loadSeconds() const;
  // The power state of each GPU as the latest sample read it, by bus address.
  std::vector<std::pair<std::string, DevicePower>> lastPower() const;

  static constexpr std::size_t kMaxGpus = 16;
  // Above this (or above 1.25 times the enforced power limit where the GPU reports one), a
  // board power reading is not believed: some mobile GPUs report about 593 W at idle.
  static constexpr double kMaxWatts = 400;

 private:
  struct Gpu {
    std::string bus;  // "0000:01:00.0"
    std::string dir;  // "sys/bus/pci/devices/0000:01:00.0"
    std::string name;  // "nvidia 0000:01:00.0"
    DevicePower power;
  };
  // Reads one awake GPU; answers why its temperature could not be read (empty when it was).
  std::string read(const Gpu& gpu, double at, Sample& out);
  void unread(const Gpu& gpu, double at, const std::string& why, Sample& out) const;
  void shutdown();

  SysRoot root_;
  std::string libraryPath_;
  Log log_;
  std::vector<Gpu> gpus_;
  std::unique_ptr<NvmlLibrary> library_;
  bool initialised_ = false;
  std::string status_;
  std::string logged_;
  std::optional<double> lastCallSeconds_;
};

}  // namespace tempyra
