#pragma once
// The appearance ("Light", "Dark", anything else follows the system palette) and the colours
// every window shares, so a change recolours the popover and the dashboard at once.
#include <QColor>
#include <QObject>
#include <QtQml/qqmlregistration.h>

namespace tempyra {

class MonitorPort;

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
  // The colour of each Tint (ui/logic/text_format.h), indexed by its value. A property, so a
  // binding such as a status dot's follows a change of scheme.
  Q_PROPERTY(QList<QColor> tints READ tints NOTIFY changed FINAL)
  Q_PROPERTY(QColor destructive READ destructive NOTIFY changed FINAL)

 public:
  explicit Theme(MonitorPort& port, QObject* parent = nullptr);

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

  QList<QColor> tints() const;
  QColor destructive() const;
  // The colour of a Tint (ui/logic/text_format.h) in the current scheme.
  QColor tint(int tint) const;
  // Stores the choice under "appearance".
  Q_INVOKABLE void setAppearance(const QString& appearance);
  // Rereads the stored value (after a preferences reset).
  void reload();

 signals:
  void changed();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  MonitorPort& port_;
  QString appearance_;
};

}  // namespace tempyra
