#pragma once
// The settings page: every control bound to a field of the monitor's preferences, to a guidance
// switch or to a monitor command. While the page is shown, each change of the preferences is
// saved once, whoever made it.
#include <QObject>
#include <QStringList>
#include <QtQml/qqmlregistration.h>

#include <string>

namespace tempyra {

class MonitorSurface;

class SettingsModel : public QObject {
  Q_OBJECT
  QML_ELEMENT
  QML_UNCREATABLE("Owned by Ui")
  // True while the settings page is on screen.
  Q_PROPERTY(bool shown READ shown WRITE setShown NOTIFY shownChanged FINAL)
  // The pickers' labels; each index is -1 when the stored value is no option.
  Q_PROPERTY(QStringList units READ units CONSTANT FINAL)
  Q_PROPERTY(int unitIndex READ unitIndex NOTIFY changed FINAL)
  Q_PROPERTY(QStringList menus READ menus CONSTANT FINAL)
  Q_PROPERTY(int menuIndex READ menuIndex NOTIFY changed FINAL)
  Q_PROPERTY(QStringList sustainedTimes READ sustainedTimes CONSTANT FINAL)
  Q_PROPERTY(int sustainedIndex READ sustainedIndex NOTIFY changed FINAL)
  Q_PROPERTY(QStringList cooldowns READ cooldowns CONSTANT FINAL)
  Q_PROPERTY(int cooldownIndex READ cooldownIndex NOTIFY changed FINAL)
  Q_PROPERTY(QStringList hours READ hours CONSTANT FINAL)
  Q_PROPERTY(int quietStartIndex READ quietStartIndex NOTIFY changed FINAL)
  Q_PROPERTY(int quietEndIndex READ quietEndIndex NOTIFY changed FINAL)
  Q_PROPERTY(QStringList retentions READ retentions CONSTANT FINAL)
  Q_PROPERTY(int retentionIndex READ retentionIndex NOTIFY changed FINAL)
  Q_PROPERTY(bool advanced READ advanced NOTIFY changed FINAL)
  Q_PROPERTY(bool alertsEnabled READ alertsEnabled NOTIFY changed FINAL)
  // The alert switch works only while notifications are allowed.
  Q_PROPERTY(bool alertsOperable READ alertsOperable NOTIFY changed FINAL)
  Q_PROPERTY(QString permissionLine READ permissionLine NOTIFY changed FINAL)
  Q_PROPERTY(bool quietEnabled READ quietEnabled NOTIFY changed FINAL)
  Q_PROPERTY(bool snoozed READ snoozed NOTIFY changed FINAL)
  Q_PROPERTY(QString snoozeText READ snoozeText NOTIFY changed FINAL)  // "Until 21:30"
  Q_PROPERTY(bool activity READ activity NOTIFY changed FINAL)
  Q_PROPERTY(QString loginStatus READ loginStatus NOTIFY changed FINAL)
  Q_PROPERTY(QString loginButton READ loginButton NOTIFY changed FINAL)
  Q_PROPERTY(bool showSteps READ showSteps NOTIFY changed FINAL)
  Q_PROPERTY(bool showTour READ showTour NOTIFY changed FINAL)
  Q_PROPERTY(bool showWelcome READ showWelcome NOTIFY changed FINAL)
  // The node_exporter textfile: on while a folder is chosen; the problem describes the file now.
  // The demonstration offers none (its readings are invented).
  Q_PROPERTY(bool metricsAvailable READ metricsAvailable CONSTANT FINAL)
  Q_PROPERTY(bool metricsEnabled READ metricsEnabled NOTIFY changed FINAL)
  Q_PROPERTY(QString metricsFolder READ metricsFolder NOTIFY changed FINAL)
  Q_PROPERTY(QString metricsProblem READ metricsProblem NOTIFY changed FINAL)
  // Why the settings are not saved (their file cannot be used); empty when they are.
  Q_PROPERTY(QString settingsProblem READ settingsProblem NOTIFY changed FINAL)

 public:
  explicit SettingsModel(MonitorSurface& monitor, QObject* parent = nullptr);

  bool shown() const { return shown_; }
  void setShown(bool shown);

  QStringList units() const;
  QStringList menus() const;
  QStringList sustainedTimes() const;
  QStringList cooldowns() const;
  QStringList hours() const;
  QStringList retentions() const;
  int unitIndex() const { return v_.unitIndex; }
  int menuIndex() const { return v_.menuIndex; }
  int sustainedIndex() const { return v_.sustainedIndex; }
  int cooldownIndex() const { return v_.cooldownIndex; }
  int quietStartIndex() const { return v_.quietStartIndex; }
  int quietEndIndex() const { return v_.quietEndIndex; }
  int retentionIndex() const { return v_.retentionIndex; }
  bool advanced() const { return v_.advanced; }
  bool alertsEnabled() const { return v_.alertsEnabled; }
  bool alertsOperable() const { return v_.alertsOperable; }
  QString permissionLine() const { return v_.permissionLine; }
  bool quietEnabled() const { return v_.quietEnabled; }
  bool snoozed() const { return v_.snoozed; }
  QString snoozeText() const { return v_.snoozeText; }
  bool activity() const { return v_.activity; }
  QString loginStatus() const { return v_.loginStatus; }
  QString loginButton() const { return v_.loginButton; }
  bool showSteps() const { return v_.showSteps; }
  bool showTour() const { return v_.showTour; }
  bool showWelcome() const { return v_.showWelcome; }
  bool metricsAvailable() const;
  bool metricsEnabled() const { return v_.metricsEnabled; }
  QString metricsFolder() const { return v_.metricsFolder; }
  QString metricsProblem() const { return v_.metricsProblem; }
  QString settingsProblem() const { return v_.settingsProblem; }

  // Indices into the pickers' options; one outside the list changes nothing.
  Q_INVOKABLE void setUnitIndex(int index);
  Q_INVOKABLE void setMenuIndex(int index);
  Q_INVOKABLE void setSustainedIndex(int index);
  Q_INVOKABLE void setCooldownIndex(int index);
  Q_INVOKABLE void setQuietStartIndex(int index);
  Q_INVOKABLE void setQuietEndIndex(int index);
  Q_INVOKABLE void setRetentionIndex(int index);
  Q_INVOKABLE void setAdvanced(bool on);
  // Ignored unless notifications are allowed.
  Q_INVOKABLE void setAlertsEnabled(bool on);
  Q_INVOKABLE void setQuietEnabled(bool on);
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
  // On asks for a folder (it stays off when the dialog is cancelled); off stops and removes the
  // file.
  Q_INVOKABLE void setMetricsEnabled(bool on);
  Q_INVOKABLE void chooseMetricsFolder();

  void refresh();

 signals:
  void changed();
  void shownChanged();

 private:
  struct View {
    int unitIndex = -1, menuIndex = -1, sustainedIndex = -1, cooldownIndex = -1;
    int quietStartIndex = -1, quietEndIndex = -1, retentionIndex = -1;
    bool advanced = false, alertsEnabled = false, alertsOperable = false;
    QString permissionLine;
    bool quietEnabled = false, snoozed = false;
    QString snoozeText;
    bool activity = false;
    QString loginStatus, loginButton;
    bool showSteps = false, showTour = false, showWelcome = false;
    bool metricsEnabled = false;
    QString metricsFolder, metricsProblem, settingsProblem;
    friend bool operator==(const View&, const View&) = default;
  };
  // Changes the preferences; `pointer` names the stored value the user replaces, which is no
  // longer kept as found.
  template <class Edit>
  void edit(const char* pointer, Edit&& change);
  void setGuidance(const char* key, bool on);
  void onPublished();

  MonitorSurface& monitor_;
  View v_;
  bool shown_ = false;
  std::string savedJson_;  // the preferences as last saved while shown
};

}  // namespace tempyra
