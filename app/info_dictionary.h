#pragma once
// The application's information dictionary: fixed facts compiled into the executable.
#include <optional>
#include <string>

namespace tempyra {

// Boolean key: true selects the demonstration provider.
inline constexpr const char* kDemoDataKey = "QuorvelDemoData";

class InfoDictionary {
 public:
  virtual ~InfoDictionary() = default;
  // Nothing when the key is absent or its value is not a boolean.
  virtual std::optional<bool> boolean(const std::string& key) const = 0;
};

}  // namespace tempyra
