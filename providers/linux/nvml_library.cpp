#include "providers/linux/nvml_library.h"

#include <dlfcn.h>

#include <chrono>

#include "providers/linux/sys_text.h"

namespace tempyra {
namespace {

template <class Fn>
void resolve(void* handle, const char* symbol, Fn& fn) {
  fn = reinterpret_cast<Fn>(::dlsym(handle, symbol));
}

}  // namespace

NvmlLibrary::NvmlLibrary(const std::string& path) {
  const auto start = std::chrono::steady_clock::now();
  // RTLD_LOCAL: its symbols stay its own; RTLD_NOW: a broken library fails here, not mid-sample.
  handle_ = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!handle_) {
    const char* error = ::dlerror();
    problem_ = std::string(kName) + " not found";
    // The loader's message names a stand-in's path or a broken file; a plain "not found" on a
    // machine without the driver says enough.
    if (path != kName && error) problem_ += " (" + cleanText(error).substr(0, 160) + ")";
    return;
  }
  resolve(handle_, "nvmlInit_v2", init);
  resolve(handle_, "nvmlShutdown", shutdown);
  resolve(handle_, "nvmlDeviceGetCount_v2", count);
  resolve(handle_, "nvmlDeviceGetHandleByPciBusId_v2", handleByBusId);
  resolve(handle_, "nvmlDeviceGetName", name);
  resolve(handle_, "nvmlDeviceGetTemperature", temperature);
  resolve(handle_, "nvmlDeviceGetTemperatureThreshold", threshold);
  resolve(handle_, "nvmlDeviceGetPowerUsage", power);
  resolve(handle_, "nvmlDeviceGetEnforcedPowerLimit", powerLimit);
  resolve(handle_, "nvmlDeviceGetNumFans", fanCount);
  resolve(handle_, "nvmlDeviceGetFanSpeed_v2", fanSpeed);
  resolve(handle_, "nvmlDeviceGetCurrentClocksEventReasons", clockReasons);
  if (!clockReasons) resolve(handle_, "nvmlDeviceGetCurrentClocksThrottleReasons", clockReasons);  // older drivers
  const std::pair<const char*, bool> required[] = {
      {"nvmlInit_v2", init != nullptr},
      {"nvmlShutdown", shutdown != nullptr},
      {"nvmlDeviceGetHandleByPciBusId_v2", handleByBusId != nullptr},
      {"nvmlDeviceGetTemperature", temperature != nullptr},
  };
  std::string missing;
  for (const auto& [symbol, found] : required)
    if (!found) missing += (missing.empty() ? "" : ", ") + std::string(symbol);
  if (!missing.empty()) problem_ = std::string(kName) + " lacks " + missing;
  loadSeconds_ = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

NvmlLibrary::~NvmlLibrary() = default;

std::string NvmlLibrary::errorText(nvml::Return code) {
  switch (code) {
    case nvml::kUninitialized: return "NVML not initialised";
    case nvml::kInvalidArgument: return "invalid argument";
    case nvml::kNotSupported: return "not supported by this GPU";
    case nvml::kNoPermission: return "no permission";
    case nvml::kNotFound: return "not found";
    case nvml::kInsufficientSize: return "buffer too small";
    case nvml::kDriverNotLoaded: return "NVIDIA driver not loaded";
    case nvml::kTimeout: return "timed out";
    case nvml::kLibraryNotFound: return "NVML library not found";
    case nvml::kFunctionNotFound: return "function not found";
    case nvml::kGpuIsLost: return "GPU is lost";
    default: return "NVML error " + std::to_string(code);
  }
}

}  // namespace tempyra
