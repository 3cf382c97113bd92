#include "providers/linux/sys_parsers.h"

#include <cctype>

#include "providers/linux/sys_text.h"

namespace tempyra {
namespace {

std::string lowerCase(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

bool upperOrDigit(char c) { return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'); }

// "8741C4G", "20XW0055GE": capitals and digits, both present, no words.
bool machineTypeCode(std::string_view s) {
  if (s.size() < 4 || s.size() > 12) return false;
  bool digit = false, letter = false;
  for (const char c : s) {
    if (!upperOrDigit(c)) return false;
    (c <= '9' ? digit : letter) = true;
  }
  return digit && letter;
}

// "ThinkPad T60p": holds a word of four letters or more and is not a version number.
bool marketingName(std::string_view s) {
  const std::string lower = lowerCase(s);
  if (lower.rfind("version", 0) == 0 || lower.rfind("rev", 0) == 0) return false;
  int run = 0;
  for (const char c : s) {
    run = std::isalpha(static_cast<unsigned char>(c)) ? run + 1 : 0;
    if (run >= 4) return true;
  }
  return false;
}

}  // namespace

std::optional<std::vector<int>> parseCpuList(std::string_view text, std::size_t maxCpus) {
  std::vector<int> cpus;
  text = trim(text);
  std::size_t start = 0;
  while (start < text.size()) {
    auto end = text.find_first_of(", \t\n", start);
    if (end == std::string_view::npos) end = text.size();
    const std::string_view item = text.substr(start, end - start);
    start = end + 1;
    if (item.empty()) continue;
    const auto dash = item.find('-');
    const auto first = parseInteger(item.substr(0, dash));
    const auto last = dash == std::string_view::npos ? first : parseInteger(item.substr(dash + 1));
    if (!first || !last || *first < 0 || *last < *first ||
        static_cast<std::size_t>(*last - *first) >= maxCpus - cpus.size() || *last > 1'000'000)
      return std::nullopt;
    for (auto cpu = *first; cpu <= *last; ++cpu) cpus.push_back(static_cast<int>(cpu));
  }
  return cpus;
}

std::map<std::string, std::string> parseUevent(std::string_view text) {
  std::map<std::string, std::string> values;
  std::size_t start = 0;
  while (start < text.size()) {
    auto end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    const std::string_view line = text.substr(start, end - start);
    constexpr std::string_view prefix = "POWER_SUPPLY_";
    const auto eq = line.find('=');
    if (line.substr(0, prefix.size()) == prefix && eq != std::string_view::npos)
      values[std::string(line.substr(prefix.size(), eq - prefix.size()))] = std::string(line.substr(eq + 1));
    start = end + 1;
  }
  return values;
}

std::string osReleaseValue(std::string_view v) {
  v = trimRight(v);
  std::string out;
  char quote = 0;
  for (std::size_t i = 0; i < v.size(); ++i) {
    const char c = v[i];
    if (quote == 0 && (c == '"' || c == '\'')) {
      quote = c;
    } else if (quote != 0 && c == quote) {
      quote = 0;
    } else if (c == '\\' && quote != '\'' && i + 1 < v.size()) {
      out.push_back(v[++i]);
    } else {
      out.push_back(c);
    }
  }
  return out;
}

bool dmiPlaceholder(std::string_view text) {
  static const char* const kPlaceholders[] = {
      "",         "to be filled by o.e.m.", "system product name", "system manufacturer",
      "default string", "not applicable", "not specified", "not available", "none", "o.e.m.",
      "oem",      "type1productconfigid", "unknown", "product name", "system version", "x.x",
      "invalid",  "to be filled by oem"};
  const std::string lower = lowerCase(trim(text));
  for (const char* p : kPlaceholders)
    if (lower == p) return true;
  return false;
}

std::optional<std::string> modelName(const DmiNames& dmi) {
  auto field = [](const std::string& text) -> std::optional<std::string> {
    if (dmiPlaceholder(text)) return std::nullopt;
    return text;
  };
  auto join = [](const std::optional<std::string>& vendor, const std::string& product) {
    if (!vendor || lowerCase(product).rfind(lowerCase(*vendor), 0) == 0) return product;
    return *vendor + " " + product;
  };
  if (auto product = field(dmi.productName)) {
    const auto version = field(dmi.productVersion);
    if (version && machineTypeCode(*product) && marketingName(*version)) product = version;
    return join(field(dmi.sysVendor), *product);
  }
  if (const auto board = field(dmi.boardName)) return join(field(dmi.boardVendor), *board);
  return std::nullopt;
}

}  // namespace tempyra
