#include "ui/models/symbol_images.h"

#include <QFile>
#include <QPainter>
#include <QSvgRenderer>

namespace tempyra {

QImage renderSymbol(const QString& name, const QColor& colour, const QSize& size) {
  QImage image(size.isValid() ? size : QSize(24, 24), QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  // Names come from our own tables; anything with a path separator is refused.
  if (name.contains(QLatin1Char('/')) || name.contains(QLatin1String(".."))) return image;
  QFile file(QStringLiteral(":/Tempyra/Ui/icons/") + name + QStringLiteral(".svg"));
  if (!file.open(QIODevice::ReadOnly)) return image;
  QByteArray svg = file.readAll();
  svg.replace("currentColor", colour.name(QColor::HexRgb).toLatin1());
  QSvgRenderer renderer(svg);
  if (!renderer.isValid()) return image;
  QPainter painter(&image);
  painter.setOpacity(colour.alphaF());
  renderer.render(&painter);
  return image;
}

QImage SymbolImageProvider::requestImage(const QString& id, QSize* size,
                                         const QSize& requestedSize) {
  const int slash = id.lastIndexOf(QLatin1Char('/'));
  const QString name = slash < 0 ? id : id.left(slash);
  const QColor colour(slash < 0 ? QStringLiteral("#000000")
                                : QStringLiteral("#") + id.mid(slash + 1));
  const QSize wanted = requestedSize.isValid() ? requestedSize : QSize(48, 48);
  const QImage image = renderSymbol(name, colour.isValid() ? colour : QColor(Qt::black), wanted);
  if (size) *size = image.size();
  return image;
}

}  // namespace tempyra
