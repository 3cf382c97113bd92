// tempyra-windows: the popover and the dashboard of Tempyra and Tempyra Demo. The tray process
// starts it when a window is first asked for, hands it one end of a socket pair as file
// descriptor TEMPYRA_CHANNEL_FD, and ends it once its windows have stayed closed a while.
#include <QApplication>
#include <QIcon>
#include <QQuickWindow>
#include <QtQml/qqmlextensionplugin.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "app/clock.h"
#include "ui/shell/remote_surface.h"
#include "ui/shell/screenshot_tour.h"
#include "ui/shell/surface_channel.h"
#include "ui/shell/windows_shell.h"

Q_IMPORT_QML_PLUGIN(Tempyra_UiPlugin)

int main(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0 ||
        std::strcmp(argv[i], "--version") == 0) {
      std::printf("tempyra-windows %s: the windows of Tempyra, started by tempyra and "
                  "tempyra-demo themselves.\n",
                  TEMPYRA_VERSION);
      return 0;
    }
  }
  bool set = false;
  const int fd = qEnvironmentVariableIntValue("TEMPYRA_CHANNEL_FD", &set);
  if (!set || fd < 0) {
    std::fprintf(stderr, "tempyra-windows is started by tempyra or tempyra-demo; run one of "
                         "those instead.\n");
    return 2;
  }
  qunsetenv("TEMPYRA_CHANNEL_FD");
  // The software renderer keeps the resident memory small; the windows are simple.
  if (!std::getenv("QT_QUICK_BACKEND")) {
    QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
  }
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Tempyra"));
  QApplication::setOrganizationName(QStringLiteral("quorvel"));
  QApplication::setDesktopFileName(QStringLiteral("com.quorvel.tempyra"));
  QApplication::setWindowIcon(QIcon(QStringLiteral(":/Tempyra/Ui/app_icon.svg")));
  QGuiApplication::setQuitOnLastWindowClosed(false);

  tempyra::SurfaceChannel channel(fd);
  tempyra::RemoteSurface surface(channel, std::make_shared<tempyra::SystemClock>());
  std::unique_ptr<tempyra::WindowsShell> shell;
  std::unique_ptr<QObject> tour;
  // Until every snapshot has come, the windows cannot be built: what else comes waits.
  std::vector<std::pair<QByteArray, QByteArray>> waiting;
  QObject::connect(&channel, &tempyra::SurfaceChannel::received, &app,
                   [&](const QByteArray& kind, const QByteArray& text) {
                     if (kind == "exit") {
                       QCoreApplication::quit();
                       return;
                     }
                     if (surface.take(kind, text)) {
                       if (shell || !surface.complete()) return;
                       shell = std::make_unique<tempyra::WindowsShell>(surface, channel);
                       const QString shots = qEnvironmentVariable("TEMPYRA_SCREENSHOTS");
                       if (!shots.isEmpty()) {
                         tour = std::make_unique<tempyra::ScreenshotTour>(*shell, shots);
                       }
                       for (const auto& [k, t] : std::exchange(waiting, {})) shell->take(k, t);
                     } else if (shell) {
                       shell->take(kind, text);
                     } else {
                       waiting.emplace_back(kind, text);
                     }
                   });
  // The tray process quit or crashed.
  QObject::connect(&channel, &tempyra::SurfaceChannel::closed, &app, &QCoreApplication::quit);
  if (!channel.open()) return 1;
  const int status = QApplication::exec();
  tour.reset();
  shell.reset();
  return status;
}
