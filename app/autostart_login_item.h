#pragma once
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "app/login_item.h"

namespace tempyra {

// The login item as an XDG autostart entry. Registering writes
// <config home>/autostart/<file name> atomically; unregistering removes it, or masks a
// system-wide entry of the same name with Hidden=true. The status is read back from the entry
// that counts (the user's own, else the first system directory holding one): Hidden=true, the
// GNOME switch set to false, or a file without a [Desktop Entry] group count as off.
class AutostartLoginItem final : public LoginItem {
 public:
  // configHome absent: no place to write (status "not found"). exec: the program to start,
  // followed by its arguments.
  AutostartLoginItem(std::optional<std::filesystem::path> configHome,
                     std::vector<std::filesystem::path> configDirs, std::string fileName,
                     std::vector<std::string> exec);

  LoginItemStatus status() const override;
  Status registerItem() override;
  Status unregisterItem() override;

  std::optional<std::filesystem::path> userEntry() const;

 private:
  Status write(const std::string& contents);

  std::optional<std::filesystem::path> configHome_;
  std::vector<std::filesystem::path> configDirs_;
  std::string fileName_;
  std::vector<std::string> exec_;
};

// One argument of an Exec line: quoted when it holds a reserved character, "%" doubled, and the
// result escaped as a desktop-entry string value.
std::string quoteExecArgument(const std::string& argument);

}  // namespace tempyra
