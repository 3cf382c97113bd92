#pragma once
// Command line of tempyra-probe: a one-shot diagnostic that prints what the engine observes.
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "core/expected.h"

namespace tempyra {

struct ProbeOptions {
  std::filesystem::path root = "/";  // platform tree to read (a captured /proc and /sys)
  int samples = 2;                   // the second sample has CPU load and process shares
  double interval = 1.0;             // seconds between samples
  bool processes = true;
  bool demo = false;
  bool openMetrics = false;  // print the last reading as metrics text instead of JSON lines
  std::optional<std::filesystem::path> history;     // also record every reading here
  std::optional<std::filesystem::path> exportFile;  // export that history when done
  bool episodes = false;  // print the history's heat episodes instead of sampling
  double since = 0;       // first time, in seconds since 1970, whose episodes are printed
};

inline constexpr const char* kProbeUsage =
    "usage: tempyra-probe [--root DIR] [--samples N] [--interval SECONDS] [--no-processes] "
    "[--demo] [--openmetrics] [--history FILE [--export FILE]]\n"
    "       tempyra-probe --history FILE --episodes [--since SECONDS]";

// Arguments without the program name; --root must name an existing directory. An error value
// carries a one-line reason.
Expected<ProbeOptions> parseProbeOptions(const std::vector<std::string>& args);

}  // namespace tempyra
