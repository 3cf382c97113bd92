#include "ui/shell/tray_face_painter.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace tempyra {

namespace {

QColor colour(Rgb c) { return QColor(c.r, c.g, c.b); }

QFont figureFont(int pixelSize) {
  QFont font;
  font.setFamily(QStringLiteral("Sans Serif"));
  font.setStretch(QFont::Condensed);
  font.setWeight(QFont::Bold);
  font.setHintingPreference(QFont::PreferFullHinting);
  font.setPixelSize(std::max(1, pixelSize));
  return font;
}

// The figure as drawn: digits and, beside them at a smaller size, the unit.
struct Layout {
  int digitSize = 0;
  QString digits;
  QString sign;
  double width = 0;
};

// The thermometer of the windows' symbols (thermometer.medium and thermometer.slash in
// ui/models/icons), drawn here on the same 24-unit grid so that the tray needs neither the SVG
// module nor the windows' resources: a tube with a round top, a bulb, the filled ball inside it,
// and either the column or a slash across.
QImage thermometer(bool slashed, const QColor& ink, int size) {
  QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.scale(size / 24.0, size / 24.0);
  const auto pen = [&](double width) {
    return QPen(ink, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
  };
  // The bulb: the arc of radius 4.5 through the tube's lower ends (2.5 either side of the
  // middle), the long way round below them.
  const double drop = std::sqrt(4.5 * 4.5 - 2.5 * 2.5);  // from those ends to its centre
  const double from = std::atan2(drop, 2.5) * 180 / std::numbers::pi;  // the right end's angle
  QPainterPath outline(QPointF(9.5, 4.5));
  outline.arcTo(QRectF(9.5, 2, 5, 5), 180, -180);
  outline.lineTo(14.5, 13.7);
  outline.arcTo(QRectF(7.5, 13.7 + drop - 4.5, 9, 9), from, -(180 + 2 * from));
  outline.closeSubpath();
  painter.setPen(pen(1.8));
  painter.setBrush(Qt::NoBrush);
  painter.drawPath(outline);
  painter.setBrush(ink);
  painter.drawEllipse(QPointF(12, 17.5), 1.9, 1.9);
  if (slashed) {
    painter.setPen(pen(2));
    painter.drawLine(QPointF(3.5, 3.5), QPointF(20.5, 20.5));
  } else {
    painter.setPen(pen(2.2));
    painter.drawLine(QPointF(12, 16), QPointF(12, 9.5));
  }
  return image;
}

int signSize(int digitSize) { return std::max(4, digitSize * 3 / 5); }

// The largest digits that fit `room` (width x height) together with the unit, which is never
// left out: a wide figure ("100%") is set smaller instead.
Layout fitFigure(const TrayFace& face, QSizeF room) {
  const QString digits = QString::fromStdString(face.digits);
  const QString sign = QString::fromStdString(face.figure).mid(digits.size());
  Layout fit{4, digits, sign, 0};
  for (int size = static_cast<int>(room.height() * 1.5); size >= 4; --size) {
    const double w = QFontMetricsF(figureFont(size)).horizontalAdvance(digits) +
                     QFontMetricsF(figureFont(signSize(size))).horizontalAdvance(sign);
    const double h = QFontMetricsF(figureFont(size)).tightBoundingRect(digits).height();
    fit = Layout{size, digits, sign, w};
    if (w <= room.width() && h <= room.height()) break;
  }
  return fit;
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
  painter.drawRoundedRect(badge, pixels * 0.22, pixels * 0.22);

  // Inside the rim: the gauge along the bottom when the state is known, the figure or the
  // glyph above it.
  const double pad = std::max(1.0, pixels / 12.0);
  const QRectF inner = badge.adjusted(rim / 2 + pad, rim / 2 + pad, -rim / 2 - pad, -rim / 2 - pad);
  QRectF content = inner;
  if (face.level > 0) {
    const double step = std::max(2.0, std::round(pixels / 9.0));
    const double gap = std::max(1.0, std::round(pixels / 24.0));
    const double width = (inner.width() - 3 * gap) / 4;
    const double top = inner.bottom() - step;
    painter.setPen(Qt::NoPen);
    for (int i = 0; i < 4; ++i) {
      QColor c = ink;
      if (i >= face.level) c.setAlphaF(0.3);  // the steps not reached, faint
      painter.setBrush(c);
      painter.drawRect(QRectF(inner.left() + i * (width + gap), top, width, step));
    }
    content.setBottom(top - gap);
  }

  if (face.digits.empty()) {
    const double glyph = std::min(content.width(), content.height());
    const QRectF box(content.center().x() - glyph / 2, content.center().y() - glyph / 2, glyph,
                     glyph);
    if (!face.slashed && face.level == 0) {
      // The state is unknown: a question mark rather than a thermometer that suggests a level.
      QFont font = figureFont(static_cast<int>(glyph));
      painter.setFont(font);
      painter.setPen(ink);
      painter.drawText(box, Qt::AlignCenter, QStringLiteral("?"));
      return image;
    }
    const int size = static_cast<int>(std::ceil(glyph * 1.15));
    const QImage symbol = thermometer(face.slashed, ink, size);
    painter.drawImage(QPointF(content.center().x() - size / 2.0, content.center().y() - size / 2.0),
                      symbol);
    return image;
  }

  const Layout figure = fitFigure(face, QSizeF(badge.width() - rim, content.height()));
  painter.setPen(ink);
  const QFont digitFont = figureFont(figure.digitSize);
  // Centre the digits' own outline, not the line box, so the figure sits in the middle of the
  // room above the gauge; the unit hangs from the digits' top like a degree sign.
  const QRectF outline = QFontMetricsF(digitFont).tightBoundingRect(figure.digits);
  const double baseline = content.center().y() - outline.height() / 2 - outline.top();
  double x = (pixels - figure.width) / 2;
  painter.setFont(digitFont);
  painter.drawText(QPointF(x, baseline), figure.digits);
  x += QFontMetricsF(digitFont).horizontalAdvance(figure.digits);
  const QFont signFont = figureFont(signSize(figure.digitSize));
  const QRectF signOutline = QFontMetricsF(signFont).tightBoundingRect(figure.sign);
  painter.setFont(signFont);
  painter.drawText(QPointF(x, baseline + outline.top() - signOutline.top()), figure.sign);
  return image;
}

}  // namespace tempyra
