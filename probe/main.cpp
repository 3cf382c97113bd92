// tempyra-probe: prints what the engine observes, from the real machine or a captured tree,
// as lines to paste into a bug report.
#include <signal.h>

#include <cerrno>
#include <cmath>
#include <ctime>
#include <iostream>

#include "probe/probe.h"

namespace {

// The stop signals that this process does not ignore (nohup's SIGHUP stays ignored).
sigset_t stopSignals() {
  sigset_t set;
  sigemptyset(&set);
  for (int signal : {SIGTERM, SIGINT, SIGHUP}) {
    struct sigaction current {};
    if (sigaction(signal, nullptr, &current) == 0 && current.sa_handler != SIG_IGN) {
      sigaddset(&set, signal);
    }
  }
  return set;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  auto options = tempyra::parseProbeOptions(args);
  if (!options) {
    std::cerr << "tempyra-probe: " << options.error() << '\n' << tempyra::kProbeUsage << '\n';
    return 2;
  }
  if (options->help) {
    std::cout << tempyra::kProbeUsage << "\n\n" << tempyra::kProbeHelp << '\n';
    return std::cout.flush() ? 0 : 1;
  }
  if (options->version) {
    std::cout << "tempyra-probe " << TEMPYRA_VERSION << '\n';
    return std::cout.flush() ? 0 : 1;
  }
  // A stop signal is held back while a reading is taken and recorded, and ends the wait for
  // the next one: the run finishes as if it had been asked for fewer readings.
  const sigset_t stop = stopSignals();
  sigprocmask(SIG_BLOCK, &stop, nullptr);
  bool stopped = false;
  return tempyra::runProbe(*options, std::cout, std::cerr, [&](double seconds) {
    double whole = 0;
    const double fraction = std::modf(seconds, &whole);
    timespec left{static_cast<time_t>(whole), static_cast<long>(fraction * 1e9)};
    while (!stopped) {
      const timespec asked = left;
      const int got = sigtimedwait(&stop, nullptr, &asked);
      if (got > 0) stopped = true;
      if (got < 0 && errno != EINTR) break;  // EAGAIN: the wait is over
    }
    return !stopped;
  });
}
