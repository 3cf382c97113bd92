#include "app/settings_user_defaults.h"

#include <QDateTime>
#include <QFile>

#include <sys/stat.h>

#include <cerrno>
#include <cmath>
#include <cstring>

namespace tempyra {

namespace {

QString qkey(const std::string& key) { return QString::fromStdString(key); }

const char* kindOf(mode_t mode) {
  if (S_ISFIFO(mode)) return "a named pipe";
  if (S_ISCHR(mode) || S_ISBLK(mode)) return "a device";
  if (S_ISSOCK(mode)) return "a socket";
  if (S_ISDIR(mode)) return "a folder";
  return "an unusual file";
}

}  // namespace

std::optional<Problem> settingsFileProblem(const std::string& file) {
  const auto notAFile = [&](std::string what) {
    return Problem{ProblemKind::settingsNotAFile, std::move(what), 0, file};
  };
  struct stat st {};
  if (::lstat(file.c_str(), &st) != 0) {
    if (errno == ENOENT) return std::nullopt;  // made on the first save
    return Problem{ProblemKind::settingsUnchecked, std::strerror(errno), 0, file};
  }
  if (S_ISREG(st.st_mode)) return std::nullopt;
  if (!S_ISLNK(st.st_mode)) return notAFile(kindOf(st.st_mode));
  if (::stat(file.c_str(), &st) != 0) return notAFile("a link to nothing");
  if (S_ISREG(st.st_mode)) return std::nullopt;
  return notAFile(std::string("a link to ") + kindOf(st.st_mode));
}

SettingsUserDefaults::SettingsUserDefaults(const QString& file)
    : problem_(settingsFileProblem(QFile::encodeName(file).toStdString())) {
  if (!problem_) settings_ = std::make_unique<QSettings>(file, QSettings::IniFormat);
}

QVariant SettingsUserDefaults::value(const std::string& key) const {
  if (settings_) return settings_->value(qkey(key));
  const auto it = memory_.find(key);
  return it == memory_.end() ? QVariant() : it->second;
}

void SettingsUserDefaults::setValue(const std::string& key, const QVariant& value) {
  if (settings_) {
    settings_->setValue(qkey(key), value);
  } else {
    memory_[key] = value;
  }
}

std::optional<std::string> SettingsUserDefaults::bytes(const std::string& key) const {
  const QVariant v = value(key);
  if (v.typeId() != QMetaType::QByteArray) return std::nullopt;
  return v.toByteArray().toStdString();
}

void SettingsUserDefaults::setBytes(const std::string& key, const std::string& value) {
  setValue(key, QByteArray::fromStdString(value));
}

std::optional<std::string> SettingsUserDefaults::string(const std::string& key) const {
  const QVariant v = value(key);
  if (v.typeId() != QMetaType::QString) return std::nullopt;
  return v.toString().toStdString();
}

void SettingsUserDefaults::setString(const std::string& key, const std::string& value) {
  setValue(key, QString::fromStdString(value));
}

std::optional<bool> SettingsUserDefaults::boolean(const std::string& key) const {
  const QVariant v = value(key);
  if (v.typeId() == QMetaType::Bool) return v.toBool();
  // The INI format keeps booleans as the words true and false.
  if (v.typeId() == QMetaType::QString) {
    if (v.toString() == "true") return true;
    if (v.toString() == "false") return false;
  }
  return std::nullopt;
}

void SettingsUserDefaults::setBoolean(const std::string& key, bool value) { setValue(key, value); }

std::optional<double> SettingsUserDefaults::date(const std::string& key) const {
  const QVariant v = value(key);
  if (v.typeId() != QMetaType::QDateTime) return std::nullopt;
  const QDateTime d = v.toDateTime();
  if (!d.isValid()) return std::nullopt;
  return static_cast<double>(d.toMSecsSinceEpoch()) / 1000.0;
}

void SettingsUserDefaults::setDate(const std::string& key, double value) {
  if (!std::isfinite(value)) return;
  setValue(key, QDateTime::fromMSecsSinceEpoch(std::llround(value * 1000.0), Qt::UTC));
}

void SettingsUserDefaults::remove(const std::string& key) {
  if (settings_) {
    settings_->remove(qkey(key));
  } else {
    memory_.erase(key);
  }
}

void SettingsUserDefaults::sync() {
  if (settings_) settings_->sync();
}

}  // namespace tempyra
