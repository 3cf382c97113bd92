#include "probe/nvml_timing.h"

#include <chrono>
#include <cstdio>

#include "providers/linux/nvidia_gpus.h"

namespace tempyra {
namespace {

std::string milliseconds(double seconds) {
  char text[32];
  std::snprintf(text, sizeof text, "%.3f ms", seconds * 1e3);
  return text;
}

}  // namespace

void reportNvmlTiming(const std::filesystem::path& root, std::ostream& err) {
  NvidiaGpus gpus(root, NvmlLibrary::kName, [](const std::string&) {});
  if (gpus.empty()) return;
  const SysRoot sys(root);
  auto states = [&] {
    std::vector<std::string> out;
    for (const auto& [bus, dir] : gpus.devices())
      out.push_back(sys.attribute(dir + "/power/runtime_status").ok().value_or("unreadable or absent"));
    return out;
  };
  const auto before = states();
  const double now = std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch()).count();
  const auto sample = gpus.sample(now);
  const auto after = states();
  const auto power = gpus.lastPower();
  bool keptOn = true;
  for (const auto& [bus, state] : power) keptOn = keptOn && state.keptOn;
  std::string timing;
  if (const auto calls = gpus.lastCallSeconds()) {
    timing = std::string(keptOn ? "nvmlInit_v2 + reads (kept initialised) " : "nvmlInit_v2 + reads + nvmlShutdown ") +
             milliseconds(*calls);
    if (const auto load = gpus.loadSeconds()) timing += ", library load " + milliseconds(*load);
  } else {
    timing = "no NVML call";
  }
  const auto devices = gpus.devices();
  for (std::size_t i = 0; i < devices.size(); ++i)
    err << "tempyra-probe: NVML nvidia " << devices[i].first << ": runtime_status " << before[i] << " before, "
        << after[i] << " after; " << timing << "; " << gpus.status() << '\n';
}

}  // namespace tempyra
