#include "ui/models/theme.h"

#include <QEvent>
#include <QFileDialog>
#include <QGuiApplication>
#include <QPalette>

#include "app/monitor_surface.h"
#include "ui/logic/text_format.h"

namespace tempyra {

Theme::Theme(MonitorSurface& monitor, QObject* parent) : QObject(parent), monitor_(monitor) {
  reload();
  connect(&monitor_, &MonitorSurface::defaultsChanged, this, &Theme::reload);
  if (qApp) qApp->installEventFilter(this);
}

void Theme::reload() {
  const auto stored = monitor_.defaults().string(kAppearanceKey);
  const QString value = stored ? QString::fromStdString(*stored) : QStringLiteral("System");
  if (value == appearance_) return;
  appearance_ = value;
  emit changed();
}

void Theme::setAppearance(const QString& appearance) {
  monitor_.defaults().setString(kAppearanceKey, appearance.toStdString());
  reload();
}

bool Theme::eventFilter(QObject* watched, QEvent* event) {
  if (watched == qApp && event->type() == QEvent::ApplicationPaletteChange) emit changed();
  if (event->type() == QEvent::Show) {
    if (auto* dialog = qobject_cast<QFileDialog*>(watched)) dialog->setPalette(widgetPalette());
  }
  return QObject::eventFilter(watched, event);
}

QPalette Theme::widgetPalette() const {
  QPalette p;
  for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
    const bool off = group == QPalette::Disabled;
    p.setColor(group, QPalette::Window, window());
    p.setColor(group, QPalette::WindowText, off ? secondary() : text());
    p.setColor(group, QPalette::Base, panel());
    p.setColor(group, QPalette::AlternateBase, window());
    p.setColor(group, QPalette::Text, off ? secondary() : text());
    p.setColor(group, QPalette::PlaceholderText, secondary());
    p.setColor(group, QPalette::Button, button());
    p.setColor(group, QPalette::ButtonText, off ? secondary() : text());
    p.setColor(group, QPalette::Highlight, off ? separator() : accent());
    p.setColor(group, QPalette::HighlightedText, QColor(0xff, 0xff, 0xff));
    p.setColor(group, QPalette::ToolTipBase, panel());
    p.setColor(group, QPalette::ToolTipText, text());
    p.setColor(group, QPalette::Light, button());
    p.setColor(group, QPalette::Midlight, button());
    p.setColor(group, QPalette::Mid, separator());
    p.setColor(group, QPalette::Dark, separator());
    p.setColor(group, QPalette::Link, accent());
  }
  return p;
}

bool Theme::dark() const {
  if (appearance_ == QLatin1String("Light")) return false;
  if (appearance_ == QLatin1String("Dark")) return true;
  // Any other value leaves the scheme to the system: a dark window colour means a dark scheme.
  return QGuiApplication::palette().color(QPalette::Window).lightness() < 128;
}

QColor Theme::window() const { return dark() ? QColor(0x1e, 0x1e, 0x20) : QColor(0xf2, 0xf2, 0xf5); }
QColor Theme::panel() const { return dark() ? QColor(0x2c, 0x2c, 0x30) : QColor(0xff, 0xff, 0xff); }
QColor Theme::text() const { return dark() ? QColor(0xf2, 0xf2, 0xf7) : QColor(0x1c, 0x1c, 0x1e); }
QColor Theme::secondary() const {
  return dark() ? QColor(0xa0, 0xa0, 0xa8) : QColor(0x6c, 0x6c, 0x72);
}
QColor Theme::separator() const {
  return dark() ? QColor(0x48, 0x48, 0x4e) : QColor(0xd8, 0xd8, 0xdc);
}
QColor Theme::accent() const { return dark() ? QColor(0x40, 0x9c, 0xff) : QColor(0x00, 0x7a, 0xff); }
QColor Theme::selection() const {
  QColor c = accent();
  c.setAlphaF(0.18f);
  return c;
}
QColor Theme::warning() const { return dark() ? QColor(0xff, 0x9f, 0x0a) : QColor(0xc9, 0x6a, 0x00); }

QColor Theme::button() const {
  return dark() ? QColor(0x3a, 0x3a, 0x3f) : QColor(0xfa, 0xfa, 0xfc);
}

QColor Theme::destructive() const { return tint(tempyra::Tint::red); }

QColor Theme::tintColor(Tint tint, bool /*dark: only the binding's dependency*/) const {
  return this->tint(static_cast<tempyra::Tint>(tint));
}

QColor Theme::tint(tempyra::Tint tint) const {
  using T = tempyra::Tint;
  switch (tint) {
    case T::green: return dark() ? QColor(0x30, 0xd1, 0x58) : QColor(0x28, 0xa7, 0x45);
    case T::yellow: return dark() ? QColor(0xff, 0xd6, 0x0a) : QColor(0xd4, 0xa0, 0x00);
    case T::orange: return dark() ? QColor(0xff, 0x9f, 0x0a) : QColor(0xf0, 0x7c, 0x00);
    case T::red: return dark() ? QColor(0xff, 0x45, 0x3a) : QColor(0xe0, 0x30, 0x28);
    case T::grey: return QColor(0x8e, 0x8e, 0x93);
    case T::secondary: break;
  }
  return secondary();
}

}  // namespace tempyra
