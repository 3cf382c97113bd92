#pragma once
// The live provider for this machine, chosen in one place.
#include <filesystem>
#include <memory>

#include "providers/sensor_provider.h"

namespace tempyra {

// The SystemProvider over the real platform backend, reading below `root` ("/" in production,
// a captured /proc and /sys tree in tests and diagnostics).
std::unique_ptr<SensorProvider> makeLiveProvider(const std::filesystem::path& root = "/");

// The platform's thermal level as the provider maps it (0 nominal, 1 fair, 2 serious,
// 3 critical, anything else unknown). Cheap enough to poll every few seconds from any thread;
// the monitor compares successive values to notice thermal-state changes.
int liveThermalLevel(const std::filesystem::path& root = "/");

}  // namespace tempyra
