// Memory floors for the interface's figures: programs that draw nothing and read nothing, only
// start as the app starts. Built twice:
//   ui_floor_tray     a QGuiApplication with Qt Gui and D-Bus: what the tray process links (the
//                     icons, the StatusNotifierItem and the single instance's bus name);
//   ui_floor_windows  a QApplication with Widgets, D-Bus, Qt Quick, Qml, Charts, Controls and
//                     Svg: what any process able to show the windows carries at start.
// The memory script starts each the way it starts the programs and prints their RSS beside them.
#include <QDBusConnection>
#include <QImage>
#include <QPainter>

#ifdef TEMPYRA_FLOOR_WIDGETS
#include <QApplication>
using FloorApplication = QApplication;
#else
#include <QGuiApplication>
using FloorApplication = QGuiApplication;
#endif

int main(int argc, char** argv) {
  FloorApplication app(argc, argv);
  // What the tray item does at start: a bus connection and one drawn figure.
  QDBusConnection::sessionBus().registerService(QStringLiteral("com.quorvel.tempyra.floor"));
  QImage face(44, 22, QImage::Format_ARGB32_Premultiplied);
  face.fill(Qt::transparent);
  QPainter painter(&face);
  painter.drawText(face.rect(), Qt::AlignCenter, QStringLiteral("72°"));
  painter.end();
  return app.exec();
}
