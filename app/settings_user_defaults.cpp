#include "app/settings_user_defaults.h"

#include <QDateTime>

#include <cmath>

namespace tempyra {

namespace {
QString qkey(const std::string& key) { return QString::fromStdString(key); }
}  // namespace

SettingsUserDefaults::SettingsUserDefaults()
    : settings_(std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope,
                                            "com.quorvel.tempyra")) {}

SettingsUserDefaults::SettingsUserDefaults(const QString& file)
    : settings_(std::make_unique<QSettings>(file, QSettings::IniFormat)) {}

std::optional<std::string> SettingsUserDefaults::bytes(const std::string& key) const {
  const QVariant v = settings_->value(qkey(key));
  if (v.typeId() != QMetaType::QByteArray) return std::nullopt;
  return v.toByteArray().toStdString();
}

void SettingsUserDefaults::setBytes(const std::string& key, const std::string& value) {
  settings_->setValue(qkey(key), QByteArray::fromStdString(value));
}

std::optional<std::string> SettingsUserDefaults::string(const std::string& key) const {
  const QVariant v = settings_->value(qkey(key));
  if (v.typeId() != QMetaType::QString) return std::nullopt;
  return v.toString().toStdString();
}

void SettingsUserDefaults::setString(const std::string& key, const std::string& value) {
  settings_->setValue(qkey(key), QString::fromStdString(value));
}

std::optional<bool> SettingsUserDefaults::boolean(const std::string& key) const {
  const QVariant v = settings_->value(qkey(key));
  if (v.typeId() == QMetaType::Bool) return v.toBool();
  // The INI format keeps booleans as the words true and false.
  if (v.typeId() == QMetaType::QString) {
    if (v.toString() == "true") return true;
    if (v.toString() == "false") return false;
  }
  return std::nullopt;
}

void SettingsUserDefaults::setBoolean(const std::string& key, bool value) {
  settings_->setValue(qkey(key), value);
}

std::optional<double> SettingsUserDefaults::date(const std::string& key) const {
  const QVariant v = settings_->value(qkey(key));
  if (v.typeId() != QMetaType::QDateTime) return std::nullopt;
  const QDateTime d = v.toDateTime();
  if (!d.isValid()) return std::nullopt;
  return static_cast<double>(d.toMSecsSinceEpoch()) / 1000.0;
}

void SettingsUserDefaults::setDate(const std::string& key, double value) {
  if (!std::isfinite(value)) return;
  settings_->setValue(qkey(key),
                      QDateTime::fromMSecsSinceEpoch(std::llround(value * 1000.0), Qt::UTC));
}

void SettingsUserDefaults::remove(const std::string& key) { settings_->remove(qkey(key)); }

void SettingsUserDefaults::sync() { settings_->sync(); }

}  // namespace tempyra
