#include "app/copied_defaults.h"

#include <utility>

namespace tempyra {

std::optional<DefaultType> interfaceKeyType(std::string_view key) {
  for (const InterfaceKey& k : kInterfaceKeys) {
    if (key == k.key) return k.type;
  }
  return std::nullopt;
}

namespace {

std::optional<DefaultValue> storedValue(const UserDefaults& d, const std::string& key,
                                        DefaultType type) {
  switch (type) {
    case DefaultType::bytes:
      if (auto v = d.bytes(key)) return DefaultValue::ofBytes(std::move(*v));
      break;
    case DefaultType::string:
      if (auto v = d.string(key)) return DefaultValue::ofString(std::move(*v));
      break;
    case DefaultType::boolean:
      if (const auto v = d.boolean(key)) return DefaultValue::ofBoolean(*v);
      break;
    case DefaultType::date:
      if (const auto v = d.date(key)) return DefaultValue::ofDate(*v);
      break;
  }
  return std::nullopt;
}

}  // namespace

DefaultsCopy copyInterfaceDefaults(const UserDefaults& defaults) {
  DefaultsCopy copy;
  for (const InterfaceKey& k : kInterfaceKeys) {
    if (auto v = storedValue(defaults, k.key, k.type)) copy.values.emplace(k.key, std::move(*v));
  }
  copy.problem = defaults.problem();
  return copy;
}

bool applyDefault(UserDefaults& defaults, const std::string& key,
                  const std::optional<DefaultValue>& value) {
  const auto type = interfaceKeyType(key);
  if (!type || (value && value->type != *type)) return false;
  if (!value) {
    defaults.remove(key);
    return true;
  }
  switch (value->type) {
    case DefaultType::bytes: defaults.setBytes(key, value->text); break;
    case DefaultType::string: defaults.setString(key, value->text); break;
    case DefaultType::boolean: defaults.setBoolean(key, value->flag); break;
    case DefaultType::date: defaults.setDate(key, value->date); break;
  }
  return true;
}

CopiedDefaults::CopiedDefaults(DefaultsCopy initial, OnWrite onWrite)
    : copy_(std::move(initial)), onWrite_(std::move(onWrite)) {}

void CopiedDefaults::replace(DefaultsCopy copy) { copy_ = std::move(copy); }

const DefaultValue* CopiedDefaults::find(const std::string& key, DefaultType type) const {
  const auto it = copy_.values.find(key);
  return it != copy_.values.end() && it->second.type == type ? &it->second : nullptr;
}

void CopiedDefaults::write(const std::string& key, std::optional<DefaultValue> value) {
  if (value) {
    copy_.values.insert_or_assign(key, *value);
  } else {
    copy_.values.erase(key);
  }
  if (onWrite_) onWrite_(key, value);
}

std::optional<std::string> CopiedDefaults::bytes(const std::string& key) const {
  if (const auto* v = find(key, DefaultType::bytes)) return v->text;
  return std::nullopt;
}
void CopiedDefaults::setBytes(const std::string& key, const std::string& value) {
  write(key, DefaultValue::ofBytes(value));
}
std::optional<std::string> CopiedDefaults::string(const std::string& key) const {
  if (const auto* v = find(key, DefaultType::string)) return v->text;
  return std::nullopt;
}
void CopiedDefaults::setString(const std::string& key, const std::string& value) {
  write(key, DefaultValue::ofString(value));
}
std::optional<bool> CopiedDefaults::boolean(const std::string& key) const {
  if (const auto* v = find(key, DefaultType::boolean)) return v->flag;
  return std::nullopt;
}
void CopiedDefaults::setBoolean(const std::string& key, bool value) {
  write(key, DefaultValue::ofBoolean(value));
}
std::optional<double> CopiedDefaults::date(const std::string& key) const {
  if (const auto* v = find(key, DefaultType::date)) return v->date;
  return std::nullopt;
}
void CopiedDefaults::setDate(const std::string& key, double value) {
  write(key, DefaultValue::ofDate(value));
}
void CopiedDefaults::remove(const std::string& key) { write(key, std::nullopt); }

}  // namespace tempyra
