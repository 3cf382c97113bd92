#pragma once
// Our named symbols (ui/icons/<name>.svg, drawn in currentColor) rendered in any colour, for
// QML as "image://symbol/<name>/<rrggbb>" and for the tray icon.
#include <QColor>
#include <QImage>
#include <QQuickImageProvider>
#include <QString>

namespace tempyra {

// A transparent image of `size` when the symbol does not exist.
QImage renderSymbol(const QString& name, const QColor& colour, const QSize& size);

class SymbolImageProvider final : public QQuickImageProvider {
 public:
  SymbolImageProvider() : QQuickImageProvider(QQuickImageProvider::Image) {}
  QImage requestImage(const QString& id, QSize* size, const QSize& requestedSize) override;
};

}  // namespace tempyra
