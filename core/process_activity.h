#pragma once
#include <cstdint>
#include <string>

namespace tempyra {

// One process's share of the CPU; identified by id. == compares every field.
struct ProcessActivity {
  std::int32_t id = 0;
  std::string name;
  double cpu = 0;  // percent of one core; may exceed 100 for multi-threaded processes
  friend bool operator==(const ProcessActivity&, const ProcessActivity&) = default;
};

}  // namespace tempyra
