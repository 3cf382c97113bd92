// Memory floors for the interface's figures: programs that draw nothing and read nothing, only
// start as the app starts. Built twice, both with a QApplication:
//   ui_floor_tray     Qt Widgets and D-Bus: what the tray process links (the XEmbed icon and its
//                     menu, the StatusNotifierItem and the single instance's bus name);
//   ui_floor_windows  Widgets, D-Bus, Qt Quick, Qml, Charts, Controls and Svg: what any
//                     process able to show the windows carries at start.
// The memory script starts each the way it starts the programs and prints their RSS beside them.
#include <QDBusConnection>
#include <QImage>
#include <QPainter>

#include <QApplication>

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  // What the tray item does at start: a bus connection and one drawn figure.
  QDBusConnection::sessionBus().registerService(QStringLiteral("com.quorvel.tempyra.floor"));
  QImage face(44, 22, QImage::Format_ARGB32_Premultiplied);
  face.fill(Qt::transparent);
  QPainter painter(&face);
  painter.drawText(face.rect(), Qt::AlignCenter, QStringLiteral("72°"));
  painter.end();
  return app.exec();
}
