// Tempyra and Tempyra Demo: the same program; the compiled-in information dictionary decides
// whether the demonstration provider is used.
#include <QGuiApplication>
#include <QDir>
#include <QSocketNotifier>

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>

#include "app/resource_info_dictionary.h"
#include "app/session_bus.h"
#include "ui/shell/app_shell.h"
#include "ui/shell/dashboard_file_switch.h"
#include "ui/shell/single_instance.h"
#include "ui/shell/windows_process.h"

namespace {

constexpr char kUsage[] =
    "Usage: %1$s [--help | --version]\n"
    "\n"
    "%2$s\n"
    "Launched again while it runs, it shows the running one's dashboard.\n"
    "\n"
    "Options:\n"
    "  -h, --help     print this help and exit\n"
    "  --version      print the version and exit\n"
    "\n"
    "Qt's own options, such as -platform NAME, are accepted as well. SIGTERM, SIGINT and\n"
    "SIGHUP quit it as its Quit command does.\n";
constexpr char kAbout[] =
    "Tempyra watches this computer's thermal pressure, temperatures and fans from the system\n"
    "tray and keeps a local history of its readings.";
constexpr char kDemoAbout[] =
    "Tempyra Demo shows Tempyra with invented example readings. It keeps a history, settings\n"
    "and a login item of its own and never writes metrics.";

// --help and --version answer without a display and without starting anything. Answers the
// exit status when one of them was asked for.
std::optional<int> answerInformation(int argc, char** argv, bool demo) {
  const char* program = demo ? "tempyra-demo" : "tempyra";
  bool help = false, version = false;
  for (int i = 1; i < argc; ++i) {
    help = help || std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0;
    version = version || std::strcmp(argv[i], "--version") == 0;
  }
  if (help) {
    std::printf(kUsage, program, demo ? kDemoAbout : kAbout);
  } else if (version) {
    std::printf("%s %s\n", program, TEMPYRA_VERSION);
  } else {
    return std::nullopt;
  }
  return std::fflush(stdout) == 0 ? 0 : 1;
}

// SIGTERM, SIGINT and SIGHUP quit through the application's own path (the last reading is
// committed, the lock file and socket removed, exit status 0): the handler only writes to a
// pipe, whose reading end the event loop watches. A signal that comes before the event loop
// runs is remembered, and the program then ends without entering it.
int quitPipe[2] = {-1, -1};
bool quitAsked = false;

void onQuitSignal(int) {
  const int saved = errno;
  const char byte = 1;
  [[maybe_unused]] const ssize_t n = ::write(quitPipe[1], &byte, 1);
  errno = saved;
}

// REQUIRES: a QCoreApplication exists.
void quitOnSignals() {
  if (::pipe2(quitPipe, O_CLOEXEC | O_NONBLOCK) != 0) return;
  auto* notifier = new QSocketNotifier(quitPipe[0], QSocketNotifier::Read, qApp);
  QObject::connect(notifier, &QSocketNotifier::activated, qApp, [] {
    char bytes[16];
    while (::read(quitPipe[0], bytes, sizeof bytes) > 0) {
    }
    quitAsked = true;
    QCoreApplication::quit();
  });
  struct sigaction action {};
  action.sa_handler = onQuitSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (const int signal : {SIGTERM, SIGINT, SIGHUP}) ::sigaction(signal, &action, nullptr);
}

// Whether a quit signal came before the event loop ran.
bool quitAlreadyAsked() {
  QCoreApplication::processEvents();
  return quitAsked;
}

bool displayAvailable() {
  const auto set = [](const char* name) {
    const char* value = std::getenv(name);
    return value && *value;
  };
  // An explicit platform (offscreen, vnc, …) brings its own output.
  return set("DISPLAY") || set("WAYLAND_DISPLAY") || set("QT_QPA_PLATFORM");
}

}  // namespace

int main(int argc, char** argv) {
  const bool demo =
      tempyra::ResourceInfoDictionary().boolean(tempyra::kDemoDataKey).value_or(false);
  if (const auto status = answerInformation(argc, argv, demo)) return *status;
  if (!displayAvailable()) {
    std::fprintf(stderr,
                 "Tempyra needs a graphical desktop session, but no display is available "
                 "(neither DISPLAY nor WAYLAND_DISPLAY is set).\n");
    return 1;
  }
  // Before Qt or the notifications look for a session bus: none is started for us.
  tempyra::avoidSessionBusAutolaunch();
  QGuiApplication app(argc, argv);
  QGuiApplication::setApplicationName(QStringLiteral("Tempyra"));
  QGuiApplication::setOrganizationName(QStringLiteral("quorvel"));
  QGuiApplication::setDesktopFileName(QStringLiteral("com.quorvel.tempyra"));
  quitOnSignals();
  // Qt took its own options out; anything left is not understood.
  if (argc > 1) {
    std::fprintf(stderr, "%s: unknown argument \"%s\"; see %s --help\n", argv[0], argv[1],
                 argv[0]);
    return 2;
  }

  // A second launch shows the running instance's dashboard and leaves before it samples. The
  // demonstration build has a name of its own, so both can run side by side.
  using tempyra::SingleInstance;
  SingleInstance instance(SingleInstance::forSession(
      demo ? QStringLiteral("com.quorvel.tempyra.demo") : QStringLiteral("com.quorvel.tempyra"),
      tempyra::processEnvironment(), QDir::tempPath()));
  switch (instance.claim()) {
    case SingleInstance::Claim::shownOther:
      return 0;
    case SingleInstance::Claim::unanswered:
      if (quitAsked) return 0;  // the wait was cut short by a quit signal
      std::fprintf(stderr, "Tempyra is already running but did not answer: %s\n",
                   qPrintable(instance.problem()));
      return 1;
    case SingleInstance::Claim::first:
      if (!instance.problem().isEmpty()) {
        std::fprintf(stderr, "Tempyra: %s\n", qPrintable(instance.problem()));
      }
      break;
  }

  tempyra::AppShell shell;
  QObject::connect(&instance, &SingleInstance::activated, &shell,
                   &tempyra::AppShell::openDashboard);
  // The screenshot script's tour runs in the windows process, started at once; the memory
  // benchmark drives the windows itself.
  const QString benchSwitch = qEnvironmentVariable("TEMPYRA_BENCH_DASHBOARD");
  std::unique_ptr<QObject> driver;
  if (!qEnvironmentVariableIsEmpty("TEMPYRA_SCREENSHOTS")) {
    shell.windows().start();
  } else if (!benchSwitch.isEmpty()) {
    driver = std::make_unique<tempyra::DashboardFileSwitch>(shell, benchSwitch);
  } else {
    shell.start();
  }
  if (quitAlreadyAsked()) return 0;
  return QGuiApplication::exec();
}
