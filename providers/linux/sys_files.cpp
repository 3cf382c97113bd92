#include "providers/linux/sys_files.h"

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <charconv>

namespace tempyra {

std::optional<std::string> readFileText(const std::string& path, std::size_t limit) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return std::nullopt;
  std::string text;
  char buffer[4096];
  bool failed = false;
  while (text.size() < limit) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0) {
      if (errno == EINTR) continue;
      failed = true;
      break;
    }
    if (n == 0) break;
    text.append(buffer, static_cast<std::size_t>(n));
  }
  ::close(fd);
  if (failed) return std::nullopt;
  if (text.size() > limit) text.resize(limit);
  return text;
}

std::optional<std::string> readAttribute(const std::string& path) {
  auto text = readFileText(path, 4096);
  if (!text) return std::nullopt;
  while (!text->empty() && std::isspace(static_cast<unsigned char>(text->back()))) text->pop_back();
  return text;
}

std::optional<std::int64_t> parseInteger(std::string_view text) {
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back())))
    text.remove_suffix(1);
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front())))
    text.remove_prefix(1);
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  std::int64_t value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size() || text.empty()) return std::nullopt;
  return value;
}

std::optional<std::int64_t> readInteger(const std::string& path) {
  const auto text = readAttribute(path);
  if (!text) return std::nullopt;
  return parseInteger(*text);
}

namespace {
// Compares names with runs of digits by value: "hwmon2" < "hwmon10".
bool naturalLess(const std::string& a, const std::string& b) {
  std::size_t i = 0, j = 0;
  while (i < a.size() && j < b.size()) {
    if (std::isdigit(static_cast<unsigned char>(a[i])) &&
        std::isdigit(static_cast<unsigned char>(b[j]))) {
      std::size_t ei = i, ej = j;
      while (ei < a.size() && std::isdigit(static_cast<unsigned char>(a[ei]))) ++ei;
      while (ej < b.size() && std::isdigit(static_cast<unsigned char>(b[ej]))) ++ej;
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
  return a.size() - i < b.size() - j;
}
}  // namespace

std::vector<std::string> listDirectory(const std::string& path) {
  std::vector<std::string> names;
  DIR* dir = ::opendir(path.c_str());
  if (!dir) return names;
  while (const dirent* entry = ::readdir(dir)) {
    const std::string_view name = entry->d_name;
    if (name == "." || name == "..") continue;
    names.emplace_back(name);
  }
  ::closedir(dir);
  std::sort(names.begin(), names.end(), naturalLess);
  return names;
}

std::string underRoot(const std::filesystem::path& root, std::string_view relative) {
  const std::string& text = root.native();
  while (!relative.empty() && relative.front() == '/') relative.remove_prefix(1);
  const bool slash = !text.empty() && text.back() == '/';
  std::string joined;
  joined.reserve(text.size() + 1 + relative.size());
  joined += text.empty() ? std::string_view("/") : std::string_view(text);
  if (!slash && !text.empty()) joined += '/';
  joined += relative;
  return joined;
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

}  // namespace tempyra
