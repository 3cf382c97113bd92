#pragma once
#include <QSettings>
#include <QVariant>

#include <map>
#include <memory>

#include "app/user_defaults.h"

namespace tempyra {

// User defaults in a QSettings store. Types survive a restart even in the INI format: bytes and
// dates are stored as typed values, booleans are also recognised in their text form.
//
// The INI file is read and written only as a regular file (or made where none is): its path is
// checked without opening it before QSettings ever sees it, and a symbolic link is followed only
// to a regular file. Anything else (a named pipe, a device, a socket, a folder, a link to one of
// those or to nothing) is never opened: the values then live in memory, starting from nothing,
// and problem() names the file.
class SettingsUserDefaults final : public UserDefaults {
 public:
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
  std::optional<Problem> problem() const override { return problem_; }

  // Writes pending changes to disk now (QSettings otherwise writes them lazily).
  void sync();

 private:
  QVariant value(const std::string& key) const;
  void setValue(const std::string& key, const QVariant& value);

  std::unique_ptr<QSettings> settings_;  // absent while the values live in memory
  std::map<std::string, QVariant> memory_;
  std::optional<Problem> problem_;
};

// Why `file` may not be used as a settings file (see above); nothing when it is a regular file
// or absent.
std::optional<Problem> settingsFileProblem(const std::string& file);

}  // namespace tempyra
