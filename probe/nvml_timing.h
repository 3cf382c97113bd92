#pragma once
#include <filesystem>
#include <ostream>

namespace tempyra {

// One timed round of the NVIDIA management library on the NVIDIA GPUs below `root`, as one
// line per GPU on `err`: the GPU's runtime_status before and after, the library's load time
// and the time of nvmlInit_v2, the reads and nvmlShutdown. A sleeping GPU gets no call (the
// line says so); nothing is printed where there is no NVIDIA GPU on NVIDIA's driver.
void reportNvmlTiming(const std::filesystem::path& root, std::ostream& err);

}  // namespace tempyra
