#include "ui/models/settings_model.h"

#include <QFile>

#include "app/monitor_surface.h"
#include "ui/logic/settings_options.h"
#include "ui/logic/text_format.h"
#include "ui/models/model_support.h"

namespace tempyra {

SettingsModel::SettingsModel(MonitorSurface& monitor, QObject* parent)
    : QObject(parent), monitor_(monitor) {
  connect(&monitor_, &MonitorSurface::setupChanged, this, &SettingsModel::onPublished);
  // The snooze line ends by time alone: the live state's clock brings it up to date.
  connect(&monitor_, &MonitorSurface::liveChanged, this, &SettingsModel::refresh);
  connect(&monitor_, &MonitorSurface::defaultsChanged, this, &SettingsModel::refresh);
}

void SettingsModel::setShown(bool shown) {
  if (shown == shown_) return;
  shown_ = shown;
  if (shown_) {
    const auto json = encodeJson(monitor_.setup().preferences);
    savedJson_ = json ? *json : std::string();
  }
  emit shownChanged();
  refresh();
}

QStringList SettingsModel::units() const { return qstrings(unitOptions()); }
QStringList SettingsModel::menus() const { return qstrings(menuOptions()); }
QStringList SettingsModel::sustainedTimes() const { return qstrings(sustainedOptions()); }
QStringList SettingsModel::cooldowns() const { return qstrings(cooldownOptions()); }
QStringList SettingsModel::hours() const { return qstrings(quietHourOptions()); }
QStringList SettingsModel::retentions() const { return qstrings(retentionOptions()); }

void SettingsModel::onPublished() {
  if (!shown_) return;
  // One save per change of the published value, whoever made it.
  const auto json = encodeJson(monitor_.setup().preferences);
  if (json && *json != savedJson_) {
    savedJson_ = *json;
    monitor_.savePreferences();
  }
  refresh();
}

template <class Edit>
void SettingsModel::edit(const char* pointer, Edit&& change) {
  Preferences p = monitor_.setup().preferences;
  if (pointer) p.forget(pointer);
  change(p);
  monitor_.setPreferences(p);
}

void SettingsModel::refresh() {
  if (!shown_) return;
  const SetupState setup = monitor_.setup();
  const Preferences& p = setup.preferences;
  const AlertSettings& a = p.alerts;
  View v;
  // An unknown stored name is no option.
  v.unitIndex = p.keeps(kUnitPointer) ? -1 : optionIndex(unitOptions(), p.unit);
  v.menuIndex = p.keeps(kMenuPointer) ? -1 : optionIndex(menuOptions(), p.menu);
  v.sustainedIndex = optionIndex(sustainedOptions(), a.sustained);
  v.cooldownIndex = optionIndex(cooldownOptions(), a.cooldown);
  v.quietStartIndex = optionIndex(quietHourOptions(), static_cast<double>(a.quietStart));
  v.quietEndIndex = optionIndex(quietHourOptions(), static_cast<double>(a.quietEnd));
  v.retentionIndex = optionIndex(retentionOptions(), static_cast<double>(p.retention));
  v.advanced = p.advanced;
  v.alertsEnabled = a.enabled;
  v.alertsOperable = setup.permission == AuthorizationStatus::authorized;
  v.permissionLine = qs(std::string(platformWord(PlatformWord::notificationRow)) +
                        permissionText(setup.permission));
  v.quietEnabled = a.quietEnabled;
  v.snoozed = a.snoozeUntil > monitor_.live().now;
  if (v.snoozed) v.snoozeText = qs("Until " + shortTimeOfDay(a.snoozeUntil));
  v.activity = p.activity;
  v.loginStatus = qs(loginStatusText(setup.loginStatus));
  v.loginButton = setup.loginStatus == LoginItemStatus::enabled ? QStringLiteral("Disable")
                                                                   : QStringLiteral("Enable");
  UserDefaults& d = monitor_.defaults();
  v.showSteps = d.boolean(kShowStepsKey).value_or(true);
  v.showTour = d.boolean(kShowTourKey).value_or(true);
  v.showWelcome = d.boolean(kShowWelcomeKey).value_or(true);
  if (const auto& folder = setup.metricsFolder) {
    v.metricsEnabled = true;
    v.metricsFolder = QFile::decodeName(folder->c_str());
  }
  if (const auto& problem = setup.metricsProblem) v.metricsProblem = qs(problemText(*problem));
  if (const auto problem = d.problem()) v.settingsProblem = qs(problemText(*problem));
  if (replaceView(v_, std::move(v))) emit changed();
}

void SettingsModel::setUnitIndex(int i) {
  if (const auto* o = optionAt(unitOptions(), i))
    edit(kUnitPointer, [&](Preferences& p) { p.unit = o->value; });
}
void SettingsModel::setMenuIndex(int i) {
  if (const auto* o = optionAt(menuOptions(), i))
    edit(kMenuPointer, [&](Preferences& p) { p.menu = o->value; });
}
void SettingsModel::setAdvanced(bool on) {
  edit(nullptr, [&](Preferences& p) { p.advanced = on; });
}
void SettingsModel::setAlertsEnabled(bool on) {
  if (monitor_.setup().permission != AuthorizationStatus::authorized) return;
  edit(nullptr, [&](Preferences& p) { p.alerts.enabled = on; });
}
void SettingsModel::setSustainedIndex(int i) {
  if (const auto* o = optionAt(sustainedOptions(), i))
    edit(kSustainedPointer, [&](Preferences& p) { p.alerts.sustained = o->value; });
}
void SettingsModel::setCooldownIndex(int i) {
  if (const auto* o = optionAt(cooldownOptions(), i))
    edit(kCooldownPointer, [&](Preferences& p) { p.alerts.cooldown = o->value; });
}
void SettingsModel::setQuietEnabled(bool on) {
  edit(nullptr, [&](Preferences& p) { p.alerts.quietEnabled = on; });
}
void SettingsModel::setQuietStartIndex(int i) {
  if (const auto* o = optionAt(quietHourOptions(), i))
    edit(kQuietStartPointer,
         [&](Preferences& p) { p.alerts.quietStart = static_cast<std::int64_t>(o->value); });
}
void SettingsModel::setQuietEndIndex(int i) {
  if (const auto* o = optionAt(quietHourOptions(), i))
    edit(kQuietEndPointer,
         [&](Preferences& p) { p.alerts.quietEnd = static_cast<std::int64_t>(o->value); });
}
void SettingsModel::setRetentionIndex(int i) {
  if (const auto* o = optionAt(retentionOptions(), i))
    edit(kRetentionPointer,
         [&](Preferences& p) { p.retention = static_cast<std::int64_t>(o->value); });
}
void SettingsModel::setActivity(bool on) {
  edit(nullptr, [&](Preferences& p) { p.activity = on; });
}

void SettingsModel::snooze() {
  edit(kSnoozePointer, [&](Preferences& p) { p.alerts.snoozeUntil = monitor_.live().now + 3600; });
  monitor_.savePreferences();
}

void SettingsModel::cancelSnooze() {
  edit(kSnoozePointer, [](Preferences& p) { p.alerts.snoozeUntil = kDistantPast; });
}

void SettingsModel::toggleLogin() {
  monitor_.setLogin(monitor_.setup().loginStatus != LoginItemStatus::enabled);
}
void SettingsModel::requestAlerts() {
  // Linux has no permission service to ask: a test notification shows whether a server answers.
  if constexpr (kBuildTextPlatform == TextPlatform::linuxDesktop) {
    monitor_.sendTestNotification();
  } else {
    monitor_.requestAlerts();
  }
}
void SettingsModel::exportHistory() { monitor_.exportHistory(); }
void SettingsModel::resetPreferences() { monitor_.resetPreferences(); }

bool SettingsModel::metricsAvailable() const { return !monitor_.setup().demo; }

void SettingsModel::setMetricsEnabled(bool on) {
  if (on && !monitor_.setup().metricsFolder) monitor_.chooseMetricsFolder();
  if (!on) monitor_.stopMetrics();
}
void SettingsModel::chooseMetricsFolder() { monitor_.chooseMetricsFolder(); }

void SettingsModel::setGuidance(const char* key, bool on) {
  monitor_.defaults().setBoolean(key, on);
  emit monitor_.defaultsChanged();
}
void SettingsModel::setShowSteps(bool on) { setGuidance(kShowStepsKey, on); }
void SettingsModel::setShowTour(bool on) { setGuidance(kShowTourKey, on); }
void SettingsModel::setShowWelcome(bool on) { setGuidance(kShowWelcomeKey, on); }

}  // namespace tempyra
