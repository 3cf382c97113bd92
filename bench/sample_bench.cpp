// The cost of one live sample with processes on this machine, beside `ps` listing the same
// processes with their names and CPU times in the same run, and beside writing the sample's
// metrics file for node_exporter (formatting, then the replace the monitor does), with the
// disk flushes that write asks for; then the NVIDIA reader through a stand-in management library.
#include <sys/resource.h>
#include <sys/syscall.h>
#include <time.h>

#include <dlfcn.h>
#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "app/metrics_file.h"
#include "core/open_metrics_text.h"

#include "providers/linux/linux_platform.h"
#include "providers/linux/nvidia_gpus.h"
#include "providers/live_provider.h"

// Every flush this program asks for, counted on its way to the kernel.
static std::atomic<long> flushes{0};
extern "C" int fsync(int fd) {
  ++flushes;
  return static_cast<int>(::syscall(SYS_fsync, fd));
}
extern "C" int fdatasync(int fd) {
  ++flushes;
  return static_cast<int>(::syscall(SYS_fdatasync, fd));
}

namespace {

double seconds() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// CPU time this process has used; unlike wall time it does not count waiting for a core on a
// busy machine.
double cpuSeconds() {
  timespec ts{};
  ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
  return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

// CPU time used by finished child processes (ps and its shell).
double childCpuSeconds() {
  rusage usage{};
  ::getrusage(RUSAGE_CHILDREN, &usage);
  return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
         static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) * 1e-6;
}

// One run of ps; returns the number of process lines it printed.
int runPs() {
  FILE* pipe = ::popen("ps -e -o pid=,comm=,time=", "r");
  if (!pipe) return -1;
  int lines = 0;
  char buffer[4096];
  while (std::fgets(buffer, sizeof buffer, pipe))
    if (std::string(buffer).find('\n') != std::string::npos) ++lines;
  ::pclose(pipe);
  return lines;
}

// The floor: one bare open + read + close of /proc/[pid]/stat per process, nothing parsed.
void readStatFiles(const std::vector<std::int32_t>& ids) {
  char path[64];
  char buffer[1024];
  for (const auto pid : ids) {
    std::snprintf(path, sizeof path, "/proc/%d/stat", pid);
    const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0) continue;
    if (::read(fd, buffer, sizeof buffer) < 0) buffer[0] = 0;
    ::close(fd);
  }
}

// One sample of the NVIDIA reader over a captured tree, through the stand-in library built
// with the tests (its own time, which it counts, taken out): what reading an awake GPU costs
// with the library released after the sample, kept initialised, and what a sleeping GPU costs.
void nvmlSamples() {
  const std::string library = std::string(TEMPYRA_FAKE_NVML_DIR) + "/full/libnvidia-ml.so.1";
  const std::pair<const char*, const char*> trees[] = {
      {"nvidia_laptop_active", "nvml_sample_released"},
      {"nvidia_desktop", "nvml_sample_kept_initialised"},
      {"nvidia_laptop_asleep", "nvml_sample_asleep"},
  };
  constexpr int kSamples = 2000;
  for (const auto& [tree, name] : trees) {
    tempyra::NvidiaGpus gpus(std::string(TEMPYRA_FIXTURES) + "/" + tree, library, [](const std::string&) {});
    gpus.sample(0);  // loads the library
    void* handle = ::dlopen(library.c_str(), RTLD_NOW | RTLD_NOLOAD);
    const auto* spent = handle ? static_cast<const unsigned long long*>(::dlsym(handle, "tempyraFakeNvmlSpentNs")) : nullptr;
    if (!spent) {
      std::printf("%s: stand-in library not found\n", name);
      continue;
    }
    const unsigned long long spentBefore = *spent;
    const double t0 = seconds();
    for (int i = 1; i <= kSamples; ++i) gpus.sample(i);
    const double total = seconds() - t0 - static_cast<double>(*spent - spentBefore) * 1e-9;
    std::printf("%s: %.2f us\n", name, total / kSamples * 1e6);
    ::dlclose(handle);
  }
  // The floor of the sleeping GPU's sample: the one attribute it reads.
  const tempyra::SysRoot root(std::string(TEMPYRA_FIXTURES) + "/nvidia_laptop_asleep");
  const double t0 = seconds();
  for (int i = 0; i < kSamples; ++i) (void)root.attribute("sys/bus/pci/devices/0000:01:00.0/power/runtime_status");
  std::printf("runtime_status_read_floor: %.2f us\n", (seconds() - t0) / kSamples * 1e6);
}

}  // namespace

// The metrics file goes to a folder on a disk (/var/tmp, not a memory file system), as the
// collector's folder usually is, or to $TEMPYRA_BENCH_METRICS_DIR.
int main() {
  constexpr int kRounds = 200;
  auto provider = tempyra::makeLiveProvider("/");
  double at = 1.8e9;
  provider->sample(at, "bench", true);  // baseline; also opens the hardware reader

  tempyra::LinuxPlatform platform("/");
  const std::size_t processes = platform.processIds().value_or(std::vector<std::int32_t>{}).size();

  // Interleave both so they see the same processes and the same machine load.
  double sampleTotal = 0, psTotal = 0, scanTotal = 0, sampleCpu = 0, psCpu = 0, bareTotal = 0,
         floorTotal = 0, metricsTotal = 0, metricsCpu = 0, formatCpu = 0;
  const char* metricsBase = std::getenv("TEMPYRA_BENCH_METRICS_DIR");
  std::string metricsDir = metricsBase ? metricsBase : "/var/tmp";
  metricsDir += "/tempyra-bench.XXXXXX";
  if (!::mkdtemp(metricsDir.data())) {
    std::perror("mkdtemp");
    return 1;
  }
  int metricsFailures = 0;
  long metricsFlushes = 0;
  int psLines = 0;
  std::size_t listed = 0;
  for (int i = 0; i < kRounds; ++i) {
    double t0 = seconds();
    double c0 = cpuSeconds();
    const auto reading = provider->sample(at += 1, "bench", true);
    sampleTotal += seconds() - t0;
    sampleCpu += cpuSeconds() - c0;
    listed += reading.activity.size();

    c0 = cpuSeconds();
    const std::string text = tempyra::openMetricsText(reading);
    formatCpu += cpuSeconds() - c0;
    t0 = seconds();
    c0 = cpuSeconds();
    const long flushesBefore = flushes;
    if (!tempyra::writeMetricsFile(metricsDir, text)) ++metricsFailures;
    metricsTotal += seconds() - t0;
    metricsCpu += cpuSeconds() - c0;
    metricsFlushes += flushes - flushesBefore;

    t0 = seconds();
    const auto ids = platform.processIds();
    std::size_t read = 0;
    for (const auto pid : ids.value_or(std::vector<std::int32_t>{}))
      if (platform.processTimes(pid)) ++read;
    scanTotal += seconds() - t0;

    if (i % 10 == 0) {
      t0 = seconds();
      c0 = childCpuSeconds();
      psLines = runPs();
      psTotal += (seconds() - t0) * 10;
      psCpu += (childCpuSeconds() - c0) * 10;
    }
    (void)read;

    t0 = seconds();
    provider->sample(at += 1, "bench", false);
    bareTotal += seconds() - t0;

    t0 = seconds();
    readStatFiles(ids.value_or(std::vector<std::int32_t>{}));
    floorTotal += seconds() - t0;
  }
  const double sampleUs = sampleTotal / kRounds * 1e6;
  const double psUs = psTotal / kRounds * 1e6;
  const double scanUs = scanTotal / kRounds * 1e6;
  const double n = processes > 0 ? static_cast<double>(processes) : 1;
  const double sampleCpuUs = sampleCpu / kRounds * 1e6;
  const double psCpuUs = psCpu / kRounds * 1e6;
  std::printf("processes: %zu count\n", processes);
  std::printf("ps_processes: %d count\n", psLines);
  std::printf("sample_with_processes: %.1f us\n", sampleUs);
  const double bareUs = bareTotal / kRounds * 1e6;
  std::printf("sample_without_processes: %.1f us\n", bareUs);
  std::printf("sample_per_process: %.2f us\n", (sampleUs - bareUs) / n);
  std::printf("stat_read_floor_per_process: %.2f us\n", floorTotal / kRounds * 1e6 / n);
  std::printf("process_scan_per_process: %.2f us\n", scanUs / n);
  std::printf("ps_scan: %.1f us\n", psUs);
  std::printf("ps_per_process: %.2f us\n", psUs / n);
  std::printf("ps_over_sample_ratio: %.1f x\n", psUs / sampleUs);
  std::printf("sample_cpu_time: %.1f us\n", sampleCpuUs);
  std::printf("sample_cpu_per_process: %.2f us\n", sampleCpuUs / n);
  std::printf("ps_cpu_time: %.1f us\n", psCpuUs);
  std::printf("ps_cpu_per_process: %.2f us\n", psCpuUs / n);
  std::printf("ps_over_sample_cpu_ratio: %.1f x\n", psCpuUs / sampleCpuUs);
  const double metricsUs = metricsTotal / kRounds * 1e6;
  const double metricsCpuUs = metricsCpu / kRounds * 1e6;
  // Formatting alone, and the file written as the monitor does it after every reading
  // (temporary file, rename): its CPU time and the disk flushes it asks for, both per reading.
  std::printf("metrics_format_cpu_time: %.2f us\n", formatCpu / kRounds * 1e6);
  std::printf("metrics_format_over_sample_cpu_ratio: %.3f %%\n", 100 * formatCpu / sampleCpu);
  std::printf("metrics_file_write: %.1f us\n", metricsUs);
  std::printf("metrics_file_cpu_time: %.1f us\n", metricsCpuUs);
  std::printf("metrics_file_flushes: %.2f count (goal 0)\n",
              static_cast<double>(metricsFlushes) / kRounds);
  std::printf("metrics_over_sample_ratio: %.2f %%\n", 100 * metricsUs / sampleUs);
  std::printf("metrics_over_sample_cpu_ratio: %.2f %%\n", 100 * metricsCpuUs / sampleCpuUs);
  if (metricsFailures) std::printf("metrics_file_failures: %d count\n", metricsFailures);
  std::filesystem::remove_all(metricsDir);
  std::printf("busy_processes_listed: %.1f count\n", static_cast<double>(listed) / kRounds);
  nvmlSamples();
  return 0;
}
