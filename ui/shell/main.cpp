// Tempyra and Tempyra Demo: the same program; the compiled-in information dictionary decides
// whether the demonstration provider is used.
#include <QApplication>
#include <QDir>
#include <QQuickWindow>
#include <QtQml/qqmlextensionplugin.h>

#include <cstdio>
#include <cstdlib>
#include <memory>

#include "app/resource_info_dictionary.h"
#include "app/session_bus.h"
#include "ui/shell/app_shell.h"
#include "ui/shell/dashboard_file_switch.h"
#include "ui/shell/screenshot_tour.h"
#include "ui/shell/single_instance.h"

Q_IMPORT_QML_PLUGIN(Tempyra_UiPlugin)

namespace {

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
  if (!displayAvailable()) {
    std::fprintf(stderr,
                 "Tempyra needs a graphical desktop session, but no display is available "
                 "(neither DISPLAY nor WAYLAND_DISPLAY is set).\n");
    return 1;
  }
  // Before Qt or the notifications look for a session bus: none is started for us.
  tempyra::avoidSessionBusAutolaunch();
  // The software renderer keeps the resident memory small; the windows are simple.
  if (!std::getenv("QT_QUICK_BACKEND")) {
    QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
  }
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Tempyra"));
  QApplication::setOrganizationName(QStringLiteral("quorvel"));
  QApplication::setDesktopFileName(QStringLiteral("com.quorvel.tempyra"));
  QApplication::setWindowIcon(QIcon(QStringLiteral(":/Tempyra/Ui/app_icon.svg")));

  // A second launch shows the running instance's dashboard and leaves before it samples. The
  // demonstration build has a name of its own, so both can run side by side.
  using tempyra::SingleInstance;
  const bool demo =
      tempyra::ResourceInfoDictionary().boolean(tempyra::kDemoDataKey).value_or(false);
  SingleInstance instance(SingleInstance::forSession(
      demo ? QStringLiteral("com.quorvel.tempyra.demo") : QStringLiteral("com.quorvel.tempyra"),
      tempyra::processEnvironment(), QDir::tempPath()));
  switch (instance.claim()) {
    case SingleInstance::Claim::shownOther:
      return 0;
    case SingleInstance::Claim::unanswered:
      std::fprintf(stderr, "Tempyra is already running but did not answer: %s\n",
                   qPrintable(instance.problem()));
      return 1;
    case SingleInstance::Claim::first:
      if (!instance.problem().isEmpty()) {
        std::fprintf(stderr, "Tempyra: other launches may not find this one: %s\n",
                     qPrintable(instance.problem()));
      }
      break;
  }

  tempyra::AppShell shell;
  QObject::connect(&instance, &SingleInstance::activated, &shell,
                   &tempyra::AppShell::openDashboard);
  // The screenshot script and the memory benchmark drive the windows themselves.
  const QString shots = qEnvironmentVariable("TEMPYRA_SCREENSHOTS");
  const QString benchSwitch = qEnvironmentVariable("TEMPYRA_BENCH_DASHBOARD");
  std::unique_ptr<QObject> driver;
  if (!shots.isEmpty()) {
    driver = std::make_unique<tempyra::ScreenshotTour>(shell, shots);
  } else if (!benchSwitch.isEmpty()) {
    driver = std::make_unique<tempyra::DashboardFileSwitch>(shell, benchSwitch);
  } else {
    shell.start();
  }
  return QApplication::exec();
}
