#include "probe/probe_options.h"

#include <charconv>
#include <cmath>
#include <system_error>

namespace tempyra {
namespace {

bool parseInt(const std::string& text, int& out) {
  const char* end = text.data() + text.size();
  auto [ptr, ec] = std::from_chars(text.data(), end, out);
  return ec == std::errc() && ptr == end;
}

bool parseSeconds(const std::string& text, double& out) {
  const char* end = text.data() + text.size();
  auto [ptr, ec] = std::from_chars(text.data(), end, out);
  return ec == std::errc() && ptr == end && std::isfinite(out);
}

}  // namespace

Expected<ProbeOptions> parseProbeOptions(const std::vector<std::string>& args) {
  ProbeOptions options;
  for (const std::string& arg : args) {
    if (arg == "--help" || arg == "-h") {
      options.help = true;
      return options;
    }
    if (arg == "--version") options.version = true;
  }
  if (options.version) return options;
  bool sinceGiven = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    auto value = [&](std::string& out) {
      if (i + 1 >= args.size()) return false;
      out = args[++i];
      return !out.empty();
    };
    std::string text;
    if (arg == "--no-processes") {
      options.processes = false;
    } else if (arg == "--demo") {
      options.demo = true;
    } else if (arg == "--openmetrics") {
      options.openMetrics = true;
    } else if (arg == "--root") {
      if (!value(text)) return Error{"--root needs a directory"};
      options.root = text;
    } else if (arg == "--samples") {
      if (!value(text) || !parseInt(text, options.samples) || options.samples < 1 ||
          options.samples > 100000)
        return Error{"--samples needs a whole number from 1 to 100000"};
    } else if (arg == "--interval") {
      if (!value(text) || !parseSeconds(text, options.interval) || options.interval < 0 ||
          options.interval > 3600)
        return Error{"--interval needs a number of seconds from 0 to 3600"};
    } else if (arg == "--history") {
      if (!value(text)) return Error{"--history needs a file"};
      options.history = text;
    } else if (arg == "--export") {
      if (!value(text)) return Error{"--export needs a file"};
      options.exportFile = text;
    } else if (arg == "--episodes") {
      options.episodes = true;
    } else if (arg == "--since") {
      if (!value(text) || !parseSeconds(text, options.since))
        return Error{"--since needs a time in seconds since 1970"};
      sinceGiven = true;
    } else {
      return Error{"unknown argument: " + arg};
    }
  }
  if (options.episodes && !options.history)
    return Error{"--episodes reads the history of --history; give both"};
  if (sinceGiven && !options.episodes) return Error{"--since belongs to --episodes"};
  if (options.episodes && options.exportFile) return Error{"--episodes takes no --export"};
  if (options.episodes && options.openMetrics) return Error{"--episodes takes no --openmetrics"};
  if (options.exportFile && !options.history)
    return Error{"--export writes the history of --history; give both"};
  // A tree that is not there would read as a machine without any sensor.
  std::error_code ec;
  if (!std::filesystem::is_directory(options.root, ec))
    return Error{"--root needs a directory: " + options.root.string() +
                 (std::filesystem::exists(options.root, ec) ? " is not one" : " does not exist")};
  return options;
}

}  // namespace tempyra
