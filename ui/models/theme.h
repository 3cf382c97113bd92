#pragma once
// The appearance ("Light", "Dark", anything else follows the system palette) and the colours
// every window shares, so a change recolours the popover and the dashboard at once.
#include <QColor>
#include <QObject>
#include <QPalette>
#include <QtQml/qqmlregistration.h>

#include "ui/logic/text_format.h"

namespace tempyra {

class MonitorSurface;

class Theme : public QObject {
  Q_OBJECT
  QML_ELEMENT
  QML_UNCREATABLE("Owned by Ui")
  Q_PROPERTY(QString appearance READ appearance NOTIFY changed FINAL)
  Q_PROPERTY(bool dark READ dark NOTIFY changed FINAL)
  Q_PROPERTY(QColor window READ window NOTIFY changed FINAL)
  Q_PROPERTY(QColor panel READ panel NOTIFY changed FINAL)
  Q_PROPERTY(QColor text READ text NOTIFY changed FINAL)
  Q_PROPERTY(QColor secondary READ secondary NOTIFY changed FINAL)
  Q_PROPERTY(QColor separator READ separator NOTIFY changed FINAL)
  Q_PROPERTY(QColor accent READ accent NOTIFY changed FINAL)
  Q_PROPERTY(QColor selection READ selection NOTIFY changed FINAL)
  Q_PROPERTY(QColor warning READ warning NOTIFY changed FINAL)
  Q_PROPERTY(QColor button READ button NOTIFY changed FINAL)
  Q_PROPERTY(QColor destructive READ destructive NOTIFY changed FINAL)

 public:
  // The colours that the popover, the dashboard and the charts share (Tint,
  // ui/logic/text_format.h) as QML names them: Theme.Green ... Theme.Grey.
  enum class Tint { Green, Yellow, Orange, Red, Secondary, Grey };
  Q_ENUM(Tint)
  static constexpr Tint qmlTint(tempyra::Tint tint) { return static_cast<Tint>(tint); }

  explicit Theme(MonitorSurface& monitor, QObject* parent = nullptr);

  QString appearance() const { return appearance_; }
  bool dark() const;
  QColor window() const;
  QColor panel() const;
  QColor text() const;
  QColor secondary() const;
  QColor separator() const;
  QColor accent() const;
  QColor selection() const;
  QColor warning() const;
  QColor button() const;

  QColor destructive() const;
  // The theme's colours for widgets: the file dialogs take it when they are shown, so they
  // follow the chosen appearance like the windows.
  QPalette widgetPalette() const;
  // The colour of a Tint in the current scheme.
  QColor tint(tempyra::Tint tint) const;
  // The same for QML. `dark` is the theme's own `dark`, passed so that a binding follows a change
  // of scheme: tintColor(dot.tint, Ui.theme.dark).
  Q_INVOKABLE QColor tintColor(tempyra::Theme::Tint tint, bool dark) const;
  // Stores the choice under "appearance".
  Q_INVOKABLE void setAppearance(const QString& appearance);
  // Rereads the stored value (after a preferences reset).
  void reload();

 signals:
  void changed();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  MonitorSurface& monitor_;
  QString appearance_;
};

static_assert(Theme::Tint::Green == Theme::qmlTint(tempyra::Tint::green) &&
              Theme::Tint::Grey == Theme::qmlTint(tempyra::Tint::grey) &&
              Theme::Tint::Secondary == Theme::qmlTint(tempyra::Tint::secondary));

}  // namespace tempyra
