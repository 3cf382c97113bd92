#include "ui/shell/tray_face_painter.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPainter>

#include <algorithm>
#include <optional>
#include <utility>

#include "ui/models/symbol_images.h"

namespace tempyra {

namespace {

QColor colour(Rgb c) { return QColor(c.r, c.g, c.b); }

QFont figureFont(int pixelSize) {
  QFont font;
  font.setFamily(QStringLiteral("Sans Serif"));
  font.setStretch(QFont::SemiCondensed);
  font.setWeight(QFont::Bold);
  font.setHintingPreference(QFont::PreferFullHinting);
  font.setPixelSize(std::max(1, pixelSize));
  return font;
}

// The figure as drawn: large digits and, where it fits, the sign at a smaller size beside them.
struct Layout {
  int digitSize = 0;
  QString digits;
  QString sign;  // empty: left out for room
  double width = 0;
};

double layoutWidth(const QString& digits, const QString& sign, int digitSize) {
  double w = QFontMetricsF(figureFont(digitSize)).horizontalAdvance(digits);
  if (!sign.isEmpty()) w += QFontMetricsF(figureFont(digitSize / 2)).horizontalAdvance(sign);
  return w;
}

// The largest digits, from `pixels`·0.62 down, that fit `room` with the sign while the digits
// stay at least 0.45 of the icon high; otherwise without the sign, down to a legible floor.
std::optional<Layout> fitFigure(const TrayFace& face, double room, int pixels) {
  const QString digits = QString::fromStdString(face.digits);
  const QString sign = QString::fromStdString(face.figure).mid(digits.size());
  const int largest = std::max(7, static_cast<int>(pixels * 0.62));
  for (const auto& [withSign, smallest] :
       {std::pair{true, std::max(7, pixels * 9 / 20)}, std::pair{false, std::max(7, pixels * 9 / 25)}}) {
    const QString s = withSign ? sign : QString();
    for (int size = largest; size >= smallest; --size) {
      const double w = layoutWidth(digits, s, size);
      if (w <= room) return Layout{size, digits, s, w};
    }
  }
  return std::nullopt;
}

}  // namespace

QImage paintTrayFace(const TrayFace& face, int pixels) {
  QImage image(pixels, pixels, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setRenderHint(QPainter::TextAntialiasing);

  const QColor fill = colour(trayBadgeColour(face.tint));
  const QColor ink = colour(trayInkColour(face.tint));
  // The rim is what separates the badge from a light panel; on a dark one the fill does.
  const double rim = std::max(1.0, pixels / 20.0);
  const QRectF badge(rim / 2, rim / 2, pixels - rim, pixels - rim);
  painter.setPen(QPen(fill.darker(190), rim));
  painter.setBrush(fill);

  const std::optional<Layout> figure =
      face.digits.empty() ? std::nullopt : fitFigure(face, pixels - 2.5 * rim, pixels);
  if (!figure) {
    painter.drawEllipse(badge);
    const int glyph = static_cast<int>(pixels * 0.8);
    const QImage symbol = renderSymbol(
        face.slashed ? QStringLiteral("thermometer.slash") : QStringLiteral("thermometer.medium"),
        ink, QSize(glyph, glyph));
    painter.drawImage((pixels - glyph) / 2, (pixels - glyph) / 2, symbol);
    return image;
  }
  painter.drawRoundedRect(badge, pixels * 0.22, pixels * 0.22);
  painter.setPen(ink);
  const QFont digitFont = figureFont(figure->digitSize);
  // Centre the digits' own outline, not the line box, so the figure sits in the middle; the
  // sign hangs from the digits' top like a degree sign.
  const QRectF outline = QFontMetricsF(digitFont).tightBoundingRect(figure->digits);
  const double baseline = (pixels - outline.height()) / 2 - outline.top();
  double x = (pixels - figure->width) / 2;
  painter.setFont(digitFont);
  painter.drawText(QPointF(x, baseline), figure->digits);
  if (!figure->sign.isEmpty()) {
    x += QFontMetricsF(digitFont).horizontalAdvance(figure->digits);
    const QFont signFont = figureFont(figure->digitSize / 2);
    const QRectF signOutline = QFontMetricsF(signFont).tightBoundingRect(figure->sign);
    painter.setFont(signFont);
    painter.drawText(QPointF(x, baseline + outline.top() - signOutline.top()), figure->sign);
  }
  return image;
}

}  // namespace tempyra
