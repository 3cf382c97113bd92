#include "providers/linux/sys_text.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>

#include "core/utf8_text.h"

namespace tempyra {
namespace {

bool space(char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; }
bool digit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

std::string_view trimRight(std::string_view text) {
  while (!text.empty() && space(text.back())) text.remove_suffix(1);
  return text;
}

std::string_view trim(std::string_view text) {
  text = trimRight(text);
  while (!text.empty() && space(text.front())) text.remove_prefix(1);
  return text;
}

std::optional<std::int64_t> parseInteger(std::string_view text) {
  text = trim(text);
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  std::int64_t value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size() || text.empty()) return std::nullopt;
  return value;
}

std::string cleanText(std::string_view in) {
  const std::string valid = validUtf8(in);
  std::string out;
  out.reserve(valid.size());
  for (std::size_t i = 0; i < valid.size(); ++i) {
    const auto c = static_cast<unsigned char>(valid[i]);
    if (c < 0x20 || c == 0x7F) continue;
    // C1 control characters, U+0080 to U+009F, are 0xC2 0x80-0x9F in UTF-8.
    if (c == 0xC2 && i + 1 < valid.size() && static_cast<unsigned char>(valid[i + 1]) < 0xA0) {
      ++i;
      continue;
    }
    out.push_back(static_cast<char>(c));
  }
  return std::string(trim(out));
}

bool naturalLess(const std::string& a, const std::string& b) {
  std::size_t i = 0, j = 0;
  while (i < a.size() && j < b.size()) {
    if (digit(a[i]) && digit(b[j])) {
      std::size_t ei = i, ej = j;
      while (ei < a.size() && digit(a[ei])) ++ei;
      while (ej < b.size() && digit(b[ej])) ++ej;
      const std::string_view na = std::string_view(a).substr(i, ei - i);
      const std::string_view nb = std::string_view(b).substr(j, ej - j);
      const auto ta = na.find_first_not_of('0'), tb = nb.find_first_not_of('0');
      const std::string_view sa = ta == std::string_view::npos ? "" : na.substr(ta);
      const std::string_view sb = tb == std::string_view::npos ? "" : nb.substr(tb);
      if (sa.size() != sb.size()) return sa.size() < sb.size();
      if (sa != sb) return sa < sb;
      i = ei, j = ej;
    } else {
      if (a[i] != b[j]) return a[i] < b[j];
      ++i, ++j;
    }
  }
  if (a.size() - i != b.size() - j) return a.size() - i < b.size() - j;
  return a < b;  // equal by value ("01" and "1"): any fixed order
}

std::string numbered(std::string_view prefix, std::int64_t n, std::string_view suffix) {
  char digits[24];
  const auto end = std::to_chars(digits, digits + sizeof digits, n).ptr;
  std::string text;
  text.reserve(prefix.size() + static_cast<std::size_t>(end - digits) + suffix.size());
  text.append(prefix);
  text.append(digits, end);
  text.append(suffix);
  return text;
}

std::optional<int> channelNumber(std::string_view name, std::string_view prefix,
                                 std::string_view suffix) {
  if (name.size() <= prefix.size() + suffix.size() || name.substr(0, prefix.size()) != prefix ||
      name.substr(name.size() - suffix.size()) != suffix)
    return std::nullopt;
  const std::string_view digits = name.substr(prefix.size(), name.size() - prefix.size() - suffix.size());
  if (digits.size() > 5) return std::nullopt;
  for (const char c : digits)
    if (!digit(c)) return std::nullopt;
  return static_cast<int>(*parseInteger(digits));
}

std::string celsiusText(double celsius) {
  char text[48];
  const double rounded = std::round(celsius * 10) / 10;
  const double magnitude = std::fabs(rounded);
  if (magnitude == std::floor(magnitude)) std::snprintf(text, sizeof text, "%.0f", magnitude);
  else std::snprintf(text, sizeof text, "%.1f", magnitude);
  return std::string(rounded < 0 ? "\xE2\x88\x92" : "") + text + " \xC2\xB0" "C";
}

bool pciAddress(std::string_view s) {
  if (s.size() != 12 || s[4] != ':' || s[7] != ':' || s[10] != '.') return false;
  for (std::size_t i : {0, 1, 2, 3, 5, 6, 8, 9, 11})
    if (!std::isxdigit(static_cast<unsigned char>(s[i]))) return false;
  return true;
}

}  // namespace tempyra
