#pragma once
// Parsers for the texts of /sys and /etc that the Linux platform reads. Pure functions over
// the file's bytes, so they are fuzzed and tested without a tree.
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tempyra {

// A CPU list as the kernel writes it: "0-3,6,8-11" or "0 1 2 3". Absent when malformed or when
// it names more than `maxCpus` CPUs (a hostile "0-4294967295" is not a list to expand).
std::optional<std::vector<int>> parseCpuList(std::string_view text, std::size_t maxCpus = 8192);

// POWER_SUPPLY_<KEY>=value lines of a power supply's uevent, keyed by <KEY>.
std::map<std::string, std::string> parseUevent(std::string_view text);

// The value of one os-release assignment: quotes removed, backslash escapes undone.
std::string osReleaseValue(std::string_view value);

// Texts that firmware writes where a vendor left a DMI field unset.
bool dmiPlaceholder(std::string_view text);

// The DMI fields that name a machine, cleaned; absent fields are empty.
struct DmiNames {
  std::string sysVendor, productName, productVersion, boardVendor, boardName;
};
// The model text: the product, or its marketing name where the product is a machine-type code
// ("8741C4G" with version "ThinkPad T60p"), or the board where the product is a placeholder;
// prefixed with the vendor unless it already starts with it. Absent when nothing names it.
std::optional<std::string> modelName(const DmiNames& dmi);

}  // namespace tempyra
