#pragma once
// Reads a StatusNotifierItem icon property (a(iiay): width, height, ARGB32 in network byte
// order) as a host receives it.
#include <QByteArray>
#include <QDBusArgument>
#include <QList>
#include <QVariant>

namespace tempyra::testing {

struct SniPixmapData {
  int width = 0, height = 0;
  QByteArray argb;
};

inline QList<SniPixmapData> sniPixmaps(const QVariant& value) {
  QList<SniPixmapData> out;
  const QDBusArgument arg = value.value<QDBusArgument>();
  arg.beginArray();
  while (!arg.atEnd()) {
    SniPixmapData p;
    arg.beginStructure();
    arg >> p.width >> p.height >> p.argb;
    arg.endStructure();
    out << p;
  }
  arg.endArray();
  return out;
}

}  // namespace tempyra::testing
