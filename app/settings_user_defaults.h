#pragma once
#include <QSettings>

#include <memory>

#include "app/user_defaults.h"

namespace tempyra {

// User defaults in a QSettings store. Types survive a restart even in the INI format: bytes and
// dates are stored as typed values, booleans are also recognised in their text form.
class SettingsUserDefaults final : public UserDefaults {
 public:
  // The user's own store: $XDG_CONFIG_HOME/com.quorvel.tempyra.conf.
  SettingsUserDefaults();
  // An INI file at `file` (tests).
  explicit SettingsUserDefaults(const QString& file);

  std::optional<std::string> bytes(const std::string& key) const override;
  void setBytes(const std::string& key, const std::string& value) override;
  std::optional<std::string> string(const std::string& key) const override;
  void setString(const std::string& key, const std::string& value) override;
  std::optional<bool> boolean(const std::string& key) const override;
  void setBoolean(const std::string& key, bool value) override;
  std::optional<double> date(const std::string& key) const override;
  void setDate(const std::string& key, double value) override;
  void remove(const std::string& key) override;

  // Writes pending changes to disk now (QSettings otherwise writes them lazily).
  void sync();

 private:
  std::unique_ptr<QSettings> settings_;
};

}  // namespace tempyra
