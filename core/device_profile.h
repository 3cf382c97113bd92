#pragma once
#include <map>
#include <string>

namespace tempyra {

// What the machine is and what the active provider can observe.
struct DeviceProfile {
  std::string model;
  std::string architecture;
  std::string os;
  std::string fans;
  std::map<std::string, std::string> capabilities;  // capability name -> status text
  friend bool operator==(const DeviceProfile&, const DeviceProfile&) = default;
};

}  // namespace tempyra
