#include "app/autostart_login_item.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>
#include <system_error>

namespace tempyra {

namespace {

namespace fs = std::filesystem;

bool entryIsOn(const fs::path& file) {
  std::ifstream in(file);
  if (!in) return false;
  bool inEntry = false, sawEntry = false, on = true;
  for (std::string line; std::getline(in, line);) {
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
    if (line.empty() || line[0] == '#') continue;
    if (line[0] == '[') {
      inEntry = line == "[Desktop Entry]";
      sawEntry = sawEntry || inEntry;
      continue;
    }
    if (!inEntry) continue;
    const auto eq = line.find('=');
    if (eq == std::string::npos) continue;
    std::string key = line.substr(0, eq), value = line.substr(eq + 1);
    while (!key.empty() && key.back() == ' ') key.pop_back();
    while (!value.empty() && value.front() == ' ') value.erase(value.begin());
    if (key == "Hidden" && value == "true") on = false;
    if (key == "X-GNOME-Autostart-enabled" && value == "false") on = false;
  }
  return sawEntry && on;
}

std::string describe(const fs::path& path, int error) {
  return "Could not write " + path.string() + ": " + std::strerror(error);
}

}  // namespace

std::string quoteExecArgument(const std::string& argument) {
  static const std::string reserved = " \t\n\"'\\><~|&;$*?#()`";
  std::string quoted;
  const bool needsQuotes =
      argument.empty() || argument.find_first_of(reserved) != std::string::npos;
  if (needsQuotes) {
    quoted += '"';
    for (char c : argument) {
      if (c == '"' || c == '`' || c == '$' || c == '\\') quoted += '\\';
      quoted += c;
    }
    quoted += '"';
  } else {
    quoted = argument;
  }
  std::string out;
  for (char c : quoted) {
    if (c == '%') {
      out += "%%";
    } else if (c == '\\') {
      out += "\\\\";
    } else if (c == '\n') {
      out += "\\n";
    } else if (c == '\t') {
      out += "\\t";
    } else {
      out += c;
    }
  }
  return out;
}

AutostartLoginItem::AutostartLoginItem(std::optional<fs::path> configHome,
                                       std::vector<fs::path> configDirs, std::string fileName,
                                       std::vector<std::string> exec)
    : configHome_(std::move(configHome)),
      configDirs_(std::move(configDirs)),
      fileName_(std::move(fileName)),
      exec_(std::move(exec)) {}

std::optional<fs::path> AutostartLoginItem::userEntry() const {
  if (!configHome_) return std::nullopt;
  return *configHome_ / "autostart" / fileName_;
}

LoginItemStatus AutostartLoginItem::status() const {
  const auto user = userEntry();
  if (!user) return LoginItemStatus::notFound;
  std::error_code ec;
  if (fs::exists(*user, ec)) {
    return entryIsOn(*user) ? LoginItemStatus::enabled : LoginItemStatus::notRegistered;
  }
  for (const fs::path& dir : configDirs_) {
    const fs::path system = dir / "autostart" / fileName_;
    if (fs::exists(system, ec)) {
      return entryIsOn(system) ? LoginItemStatus::enabled : LoginItemStatus::notRegistered;
    }
  }
  return LoginItemStatus::notRegistered;
}

Status AutostartLoginItem::write(const std::string& contents) {
  const auto user = userEntry();
  if (!user) return Error{"No configuration directory is known for this user."};
  const fs::path dir = user->parent_path();
  std::error_code ec;
  fs::create_directories(dir, ec);
  if (ec) return Error{describe(dir, ec.value())};
  fs::path temp = dir / ("." + fileName_ + ".XXXXXX");
  std::string pattern = temp.string();
  const int fd = mkstemp(pattern.data());
  if (fd < 0) return Error{describe(dir, errno)};
  temp = pattern;
  const char* p = contents.data();
  size_t left = contents.size();
  while (left > 0) {
    const ssize_t n = ::write(fd, p, left);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      const int error = errno;
      ::close(fd);
      fs::remove(temp, ec);
      return Error{describe(*user, error)};
    }
    p += n;
    left -= static_cast<size_t>(n);
  }
  if (::fchmod(fd, 0644) != 0 || ::fsync(fd) != 0 || ::close(fd) != 0) {
    const int error = errno;
    fs::remove(temp, ec);
    return Error{describe(*user, error)};
  }
  if (::rename(temp.c_str(), user->c_str()) != 0) {
    const int error = errno;
    fs::remove(temp, ec);
    return Error{describe(*user, error)};
  }
  return {};
}

Status AutostartLoginItem::registerItem() {
  std::string exec;
  for (const std::string& arg : exec_) {
    if (!exec.empty()) exec += ' ';
    exec += quoteExecArgument(arg);
  }
  return write("[Desktop Entry]\nType=Application\nName=Tempyra\nExec=" + exec +
               "\nX-GNOME-Autostart-enabled=true\n");
}

Status AutostartLoginItem::unregisterItem() {
  const auto user = userEntry();
  if (!user) return Error{"No configuration directory is known for this user."};
  std::error_code ec;
  for (const fs::path& dir : configDirs_) {
    if (fs::exists(dir / "autostart" / fileName_, ec)) {
      // A system-wide entry of the same name would start the program anyway: mask it.
      return write(
          "[Desktop Entry]\nType=Application\nName=Tempyra\nHidden=true\n"
          "X-GNOME-Autostart-enabled=false\n");
    }
  }
  if (!fs::remove(*user, ec) && ec) {
    return Error{"Could not remove " + user->string() + ": " + ec.message()};
  }
  return {};
}

}  // namespace tempyra
