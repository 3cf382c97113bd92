#pragma once
// The NVIDIA management library, loaded at run time.
#include <string>

#include "providers/linux/nvml_api.h"

namespace tempyra {

// One dlopen of the library and the entry points the NVIDIA reader uses. The library stays
// loaded as long as this object: unloading a driver library that may have started threads is
// not safe, and loading is done once.
//
// Required entry points: nvmlInit_v2, nvmlShutdown, nvmlDeviceGetHandleByPciBusId_v2 and
// nvmlDeviceGetTemperature; without one of them the library is not usable (problem() says
// which). The others are optional: a missing one leaves its value absent with a reason.
// REQUIRES: one caller at a time.
class NvmlLibrary {
 public:
  // The name the driver installs; the dynamic loader's search path finds it (LD_LIBRARY_PATH
  // included, so a stand-in can take its place).
  static constexpr const char* kName = "libnvidia-ml.so.1";

  // `path` is kName in production; a file path for a stand-in.
  explicit NvmlLibrary(const std::string& path = kName);
  ~NvmlLibrary();
  NvmlLibrary(const NvmlLibrary&) = delete;
  NvmlLibrary& operator=(const NvmlLibrary&) = delete;

  bool usable() const { return problem_.empty(); }
  // Why the library cannot be used: "libnvidia-ml.so.1 not found", "libnvidia-ml.so.1 lacks
  // nvmlInit_v2". Empty when usable.
  const std::string& problem() const { return problem_; }
  // Seconds the load and symbol lookup took.
  double loadSeconds() const { return loadSeconds_; }

  nvml::InitFn init = nullptr;
  nvml::ShutdownFn shutdown = nullptr;
  nvml::CountFn count = nullptr;
  nvml::HandleByBusIdFn handleByBusId = nullptr;
  nvml::NameFn name = nullptr;
  nvml::TemperatureFn temperature = nullptr;
  nvml::ThresholdFn threshold = nullptr;
  nvml::PowerFn power = nullptr;
  nvml::PowerLimitFn powerLimit = nullptr;
  nvml::FanCountFn fanCount = nullptr;
  nvml::FanSpeedFn fanSpeed = nullptr;
  nvml::ClockReasonsFn clockReasons = nullptr;

  // The library's error code in words ("GPU is lost", "not supported"), never asking the
  // library itself (its own strings are not needed to say what a known code means).
  static std::string errorText(nvml::Return code);

 private:
  void* handle_ = nullptr;
  std::string problem_;
  double loadSeconds_ = 0;
};

}  // namespace tempyra
