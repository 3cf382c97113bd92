// Tempyra and Tempyra Demo: the same program; the compiled-in information dictionary decides
// whether the demonstration provider is used.
#include <QApplication>
#include <QQuickWindow>
#include <QtQml/qqmlextensionplugin.h>

#include <cstdio>
#include <cstdlib>

#include "ui/app_shell.h"

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
  // The software renderer keeps the resident memory small; the windows are simple.
  if (!std::getenv("QT_QUICK_BACKEND")) {
    QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
  }
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Tempyra"));
  QApplication::setOrganizationName(QStringLiteral("quorvel"));
  QApplication::setDesktopFileName(QStringLiteral("com.quorvel.tempyra"));
  QApplication::setWindowIcon(QIcon(QStringLiteral(":/Tempyra/Ui/app_icon.svg")));
  tempyra::AppShell shell;
  shell.start();
  return QApplication::exec();
}
