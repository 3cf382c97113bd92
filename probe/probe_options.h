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
  bool help = false;      // print kProbeHelp and nothing else
  bool version = false;   // print the version and nothing else
};

inline constexpr const char* kProbeUsage =
    "usage: tempyra-probe [--root DIR] [--samples N] [--interval SECONDS] [--no-processes] "
    "[--demo] [--openmetrics] [--history FILE [--export FILE]]\n"
    "       tempyra-probe --history FILE --episodes [--since SECONDS]\n"
    "       tempyra-probe --help | --version";

inline constexpr const char* kProbeHelp =
    "Prints what Tempyra observes on this machine: the device profile, then one reading per\n"
    "line as JSON.\n"
    "\n"
    "  --root DIR          read /proc and /sys below DIR (a captured tree)\n"
    "  --samples N         take N readings, 1 to 100000 (default 2)\n"
    "  --interval SECONDS  wait between readings, 0 to 3600 (default 1)\n"
    "  --no-processes      leave out the heaviest processes\n"
    "  --demo              print the built-in example data\n"
    "  --openmetrics       print the last reading as metrics text instead\n"
    "  --history FILE      also record every reading in the history FILE\n"
    "  --export FILE       afterwards export that history to FILE as one JSON document\n"
    "  --episodes          print the heat episodes of an existing history instead\n"
    "  --since SECONDS     episodes from this time on, in seconds since 1970\n"
    "  --help, -h          print this text\n"
    "  --version           print the version\n"
    "\n"
    "SIGTERM, SIGINT or SIGHUP end the readings after the current one; the run then exits 0.\n"
    "Exit status: 0 done, 1 output, history or export failed, 2 bad arguments.";

// Arguments without the program name; --root must name an existing directory. --help (-h) or
// --version anywhere wins over everything else. An error value carries a one-line reason.
Expected<ProbeOptions> parseProbeOptions(const std::vector<std::string>& args);

}  // namespace tempyra
