#pragma once
// What the live provider needs from the operating system, and nothing more. Backends: the Linux
// one reads /proc and /sys below a root path; tests use fakes.
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "core/power_context.h"

namespace tempyra {

// The words that name a backend's sources in capability and provenance texts. A backend names
// its own interfaces: a Linux reading never claims a macOS interface, and vice versa. A backend
// may refine the thermal and CPU-limit words with what its latest thermalLevel() and
// cpuPowerStatus() saw; the provider reads them again after those calls.
struct PlatformWords {
  std::string thermalCapability;    // e.g. "Available · ProcessInfo.thermalState"
  std::string cpuTicks;             // source of the tick counters, e.g. "host_statistics"
  std::string cpuLoadCapability;    // e.g. "Available · host_statistics"
  std::string powerCapability;      // e.g. "IOPowerSources · subject to hardware availability"
  std::string cpuLimits;            // source of the power limits, e.g. "IOPMCopyCPUPowerStatus"
  std::string cpuLimitsCapability;  // e.g. "IOPMCopyCPUPowerStatus · subject to availability"
  std::string processCapability;    // e.g. "Best effort · proc_pid_rusage; restricted processes omitted"
  std::string cpuSpeedNote;         // what the speed limit does not say (a CPU held down); often empty
};

// One process's cumulative CPU time and the stamp that tells it apart from a later process
// that reuses its id.
struct ProcessTimes {
  std::uint64_t cpuNs = 0;       // user + system time, nanoseconds
  std::uint64_t startStamp = 0;  // opaque, equal only for the same process
};

// One power source's description. The vocabulary is the interface's own: "Type" is
// "InternalBattery" for the machine's battery.
struct PowerSourceDescription {
  std::optional<std::string> type;
  std::optional<double> currentCapacity;
  std::optional<double> maxCapacity;
  std::optional<bool> isCharging;
};

// Where the machine draws its power from, absent when unknown; a source that the platform names
// but this program does not is `other`, with the platform's words in `otherSource`. `sources` is
// absent when the list of sources cannot be read.
struct PowerSnapshot {
  std::optional<PowerSource> providing;
  std::optional<std::vector<PowerSourceDescription>> sources;
  std::string otherSource;
};

// Keys of the CPU power-status map.
inline constexpr const char* kCpuSpeedLimitKey = "CPU_Speed_Limit";
inline constexpr const char* kCpuSchedulerLimitKey = "CPU_Scheduler_Limit";

// Every call may fail; a failure is an absent answer, never an exception. Backends hold no locks.
// REQUIRES: one caller at a time (the provider's sampling queue).
class Platform {
 public:
  virtual ~Platform() = default;

  virtual const PlatformWords& words() const = 0;

  // 0 nominal, 1 fair, 2 serious, 3 critical; any other value means unknown.
  virtual int thermalLevel() = 0;
  virtual std::string osText() = 0;
  virtual std::optional<std::string> modelText() = 0;
  virtual std::string architectureText() = 0;

  // Cumulative host tick counters in the order user, system, idle, nice, as 64-bit counts (a
  // backend whose system counts in 32 bits carries its counters across the wrap itself).
  virtual std::optional<std::vector<std::uint64_t>> cpuTicks() = 0;

  // Ids of the running processes in the platform's order; absent when the list is unreadable.
  virtual std::optional<std::vector<std::int32_t>> processIds() = 0;
  // Absent when the process is gone or may not be inspected.
  virtual std::optional<ProcessTimes> processTimes(std::int32_t pid) = 0;
  // Raw name bytes (not necessarily UTF-8); absent or empty when unavailable.
  virtual std::optional<std::string> processName(std::int32_t pid) = 0;

  // Absent when the platform offers no power-source information at all.
  virtual std::optional<PowerSnapshot> powerSources() = 0;
  // Named numbers (kCpuSpeedLimitKey, kCpuSchedulerLimitKey, ...); NaN marks a value that is
  // not a number. Absent when the power status cannot be read.
  virtual std::optional<std::map<std::string, double>> cpuPowerStatus() = 0;
};

}  // namespace tempyra
