#pragma once
// The few entry points of the NVIDIA management library (libnvidia-ml.so.1) that the NVIDIA
// reader calls, declared from the library's public C API reference. The library is loaded at
// run time; nothing links against it and no vendor header is included.
#include <cstdint>

namespace tempyra::nvml {

using Return = int;               // nvmlReturn_t: 0 is success
using Device = struct DeviceOpaque*;  // nvmlDevice_t, valid only while the library is initialised

inline constexpr Return kSuccess = 0;
inline constexpr Return kUninitialized = 1;
inline constexpr Return kInvalidArgument = 2;
inline constexpr Return kNotSupported = 3;
inline constexpr Return kNoPermission = 4;
inline constexpr Return kNotFound = 6;
inline constexpr Return kInsufficientSize = 7;
inline constexpr Return kDriverNotLoaded = 9;
inline constexpr Return kTimeout = 10;
inline constexpr Return kLibraryNotFound = 12;
inline constexpr Return kFunctionNotFound = 13;
inline constexpr Return kGpuIsLost = 15;

// nvmlTemperatureSensors_t and nvmlTemperatureThresholds_t
inline constexpr unsigned kTemperatureGpu = 0;
inline constexpr unsigned kThresholdShutdown = 0;
inline constexpr unsigned kThresholdSlowdown = 1;

// Bits of the clock-event (formerly "throttle") reasons that mean heat or power.
inline constexpr std::uint64_t kSoftwarePowerCap = 0x4;
inline constexpr std::uint64_t kHardwareSlowdown = 0x8;
inline constexpr std::uint64_t kSoftwareThermalSlowdown = 0x20;
inline constexpr std::uint64_t kHardwareThermalSlowdown = 0x40;
inline constexpr std::uint64_t kHardwarePowerBrake = 0x80;

// NVML_DEVICE_NAME_V2_BUFFER_SIZE
inline constexpr unsigned kNameBufferSize = 96;

using InitFn = Return (*)();                                      // nvmlInit_v2
using ShutdownFn = Return (*)();                                  // nvmlShutdown
using CountFn = Return (*)(unsigned*);                            // nvmlDeviceGetCount_v2
using HandleByBusIdFn = Return (*)(const char*, Device*);         // nvmlDeviceGetHandleByPciBusId_v2
using NameFn = Return (*)(Device, char*, unsigned);               // nvmlDeviceGetName
using TemperatureFn = Return (*)(Device, unsigned, unsigned*);    // nvmlDeviceGetTemperature
using ThresholdFn = Return (*)(Device, unsigned, unsigned*);      // nvmlDeviceGetTemperatureThreshold
using PowerFn = Return (*)(Device, unsigned*);                    // nvmlDeviceGetPowerUsage, milliwatts
using PowerLimitFn = Return (*)(Device, unsigned*);               // nvmlDeviceGetEnforcedPowerLimit, mW
using FanCountFn = Return (*)(Device, unsigned*);                 // nvmlDeviceGetNumFans
using FanSpeedFn = Return (*)(Device, unsigned, unsigned*);       // nvmlDeviceGetFanSpeed_v2, percent
using ClockReasonsFn = Return (*)(Device, unsigned long long*);   // nvmlDeviceGetCurrentClocksEventReasons

}  // namespace tempyra::nvml
