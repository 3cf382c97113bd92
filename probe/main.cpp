// tempyra-probe: prints what the engine observes, from the real machine or a captured tree,
// as lines to paste into a bug report.
#include <chrono>
#include <iostream>
#include <thread>

#include "probe/probe.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  auto options = tempyra::parseProbeOptions(args);
  if (!options) {
    std::cerr << "tempyra-probe: " << options.error() << '\n' << tempyra::kProbeUsage << '\n';
    return 2;
  }
  return tempyra::runProbe(*options, std::cout, std::cerr, [](double seconds) {
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
  });
}
