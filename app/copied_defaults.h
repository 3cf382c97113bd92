#pragma once
// The user defaults for the interface's own keys, copied into a process that shows windows over
// a copy of the monitor's state: the copy answers the interface's reads, and each write the
// interface makes goes back to the process that owns the real defaults, which carries it out
// only for the interface's own keys. No Qt.
#include <array>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "app/problem.h"
#include "app/user_defaults.h"

namespace tempyra {

// The kinds of value the user defaults hold, one per pair of typed getter and setter.
enum class DefaultType { bytes, string, boolean, date };

// One stored default: its type and the value of that type.
struct DefaultValue {
  DefaultType type = DefaultType::string;
  std::string text;   // bytes or string
  bool flag = false;  // boolean
  double date = 0;    // date: seconds since 1970

  static DefaultValue ofBytes(std::string value) { return {DefaultType::bytes, std::move(value)}; }
  static DefaultValue ofString(std::string value) {
    return {DefaultType::string, std::move(value)};
  }
  static DefaultValue ofBoolean(bool value) { return {DefaultType::boolean, {}, value}; }
  static DefaultValue ofDate(double value) { return {DefaultType::date, {}, false, value}; }

  friend bool operator==(const DefaultValue&, const DefaultValue&) = default;
};

// A key the interface reads or writes, with the type it keeps there.
struct InterfaceKey {
  const char* key;
  DefaultType type;
};

// Every key the interface reads or writes: the appearance and the guidance switches.
inline constexpr std::array<InterfaceKey, 5> kInterfaceKeys = {{
    {kAppearanceKey, DefaultType::string},
    {kShowTourKey, DefaultType::boolean},
    {kShowWelcomeKey, DefaultType::boolean},
    {kShowStepsKey, DefaultType::boolean},
    {kShowCloseNoticeKey, DefaultType::boolean},
}};

// The type the interface keeps at `key`; nothing for a key that is not the interface's.
std::optional<DefaultType> interfaceKeyType(std::string_view key);

// The interface's keys as stored (a key that is absent, or holds another type than the
// interface keeps there, is left out), and why the defaults are not saved.
struct DefaultsCopy {
  std::map<std::string, DefaultValue> values;
  std::optional<Problem> problem;
  friend bool operator==(const DefaultsCopy&, const DefaultsCopy&) = default;
};

// One write to the user defaults: the new value, or nothing for a removal.
struct DefaultWrite {
  std::string key;
  std::optional<DefaultValue> value;
  friend bool operator==(const DefaultWrite&, const DefaultWrite&) = default;
};

// The interface's keys, each read with the getter of its type, and the defaults' problem.
DefaultsCopy copyInterfaceDefaults(const UserDefaults& defaults);

// Carries out a write made to a copy: sets `value` with the setter of its type, or removes
// `key` when there is no value. False, and nothing written, for a key that is not the
// interface's or a value of another type than the interface keeps there: a copy can never
// change the preferences, the metrics folder, the notification grant or any other key.
bool applyDefault(UserDefaults& defaults, const std::string& key,
                  const std::optional<DefaultValue>& value);

// The copy of the interface's defaults in a process that has no store of its own.
// REQUIRES: main thread only.
class CopiedDefaults final : public UserDefaults {
 public:
  // Called after each set or remove, with the key and its new value (nothing when removed).
  using OnWrite =
      std::function<void(const std::string& key, const std::optional<DefaultValue>& value)>;

  CopiedDefaults(DefaultsCopy initial, OnWrite onWrite);

  // Takes a fresh copy from the owner of the real defaults; calls nothing.
  void replace(DefaultsCopy copy);
  const DefaultsCopy& copy() const { return copy_; }

  std::optional<std::string> bytes(const std::string& key) const override;
  void setBytes(const std::string& key, const std::string& value) override;
  std::optional<std::string> string(const std::string& key) const override;
  void setString(const std::string& key, const std::string& value) override;
  std::optional<bool> boolean(const std::string& key) const override;
  void setBoolean(const std::string& key, bool value) override;
  std::optional<double> date(const std::string& key) const override;
  void setDate(const std::string& key, double value) override;
  void remove(const std::string& key) override;
  std::optional<Problem> problem() const override { return copy_.problem; }

 private:
  // The value at `key` when it is of `type`.
  const DefaultValue* find(const std::string& key, DefaultType type) const;
  void write(const std::string& key, std::optional<DefaultValue> value);

  DefaultsCopy copy_;
  OnWrite onWrite_;
};

}  // namespace tempyra
