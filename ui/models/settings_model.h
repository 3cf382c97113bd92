#pragma once
// The settings page: every control bound to a field of the monitor's preferences or to a
// monitor command. While the page is shown, each change of the preferences is saved once.
#include <QObject>
#include <QVariantMap>
#include <QtQml/qqmlregistration.h>

namespace tempyra {

class MonitorPort;

class SettingsModel : public QObject {
  Q_OBJECT
  QML_ELEMENT
  QML_UNCREATABLE("Owned by Ui")
  // Keys: option label lists (units, menus, sustained, cooldown, hours, retention), the
  // selected indices (-1 when the stored value is not an option), the toggles, loginStatus,
  // loginButton, permissionLine, alertsOperable, quietEnabled, snoozed, snoozeText, and the
  // guidance switches showSteps, showTour, showWelcome.
  Q_PROPERTY(QVariantMap view READ view NOTIFY viewChanged)
  // True while the settings page is on screen.
  Q_PROPERTY(bool shown READ shown WRITE setShown NOTIFY shownChanged)

 public:
  explicit SettingsModel(MonitorPort& port, QObject* parent = nullptr);

  const QVariantMap& view() const { return view_; }
  bool shown() const { return shown_; }
  void setShown(bool shown);

  Q_INVOKABLE void setUnitIndex(int index);
  Q_INVOKABLE void setMenuIndex(int index);
  Q_INVOKABLE void setAdvanced(bool on);
  // Ignored unless the notification permission is "Allowed".
  Q_INVOKABLE void setAlertsEnabled(bool on);
  Q_INVOKABLE void setSustainedIndex(int index);
  Q_INVOKABLE void setCooldownIndex(int index);
  Q_INVOKABLE void setQuietEnabled(bool on);
  Q_INVOKABLE void setQuietStartIndex(int index);
  Q_INVOKABLE void setQuietEndIndex(int index);
  Q_INVOKABLE void setRetentionIndex(int index);
  Q_INVOKABLE void setActivity(bool on);
  Q_INVOKABLE void snooze();
  Q_INVOKABLE void cancelSnooze();
  Q_INVOKABLE void toggleLogin();
  Q_INVOKABLE void requestAlerts();
  Q_INVOKABLE void exportHistory();
  Q_INVOKABLE void resetPreferences();
  Q_INVOKABLE void setShowSteps(bool on);
  Q_INVOKABLE void setShowTour(bool on);
  Q_INVOKABLE void setShowWelcome(bool on);

  void refresh();

 signals:
  void viewChanged();
  void shownChanged();

 private:
  template <class Edit>
  void edit(Edit&& change);
  void setGuidance(const char* key, bool on);
  void onPreferencesPublished();

  MonitorPort& port_;
  QVariantMap view_;
  bool shown_ = false;
  std::string savedJson_;
};

}  // namespace tempyra
