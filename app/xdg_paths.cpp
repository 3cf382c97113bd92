#include "app/xdg_paths.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <sstream>

namespace tempyra {

namespace {

std::optional<std::filesystem::path> absolute(const std::optional<std::string>& value) {
  if (!value || value->empty() || (*value)[0] != '/') return std::nullopt;
  return std::filesystem::path(*value);
}

std::optional<std::filesystem::path> home(const Environment& env) {
  if (auto h = absolute(env("HOME"))) return h;
  if (const passwd* pw = getpwuid(getuid()); pw && pw->pw_dir && pw->pw_dir[0] == '/') {
    return std::filesystem::path(pw->pw_dir);
  }
  return std::nullopt;
}

std::optional<std::filesystem::path> baseDir(const Environment& env, const char* variable,
                                             const char* fallback) {
  if (auto dir = absolute(env(variable))) return dir;
  if (auto h = home(env)) return *h / fallback;
  return std::nullopt;
}

std::vector<std::filesystem::path> searchDirs(const Environment& env, const char* variable,
                                              std::vector<std::filesystem::path> fallback) {
  std::vector<std::filesystem::path> dirs;
  if (auto value = env(variable); value && !value->empty()) {
    std::stringstream parts(*value);
    for (std::string part; std::getline(parts, part, ':');) {
      if (!part.empty() && part[0] == '/') dirs.emplace_back(part);
    }
  }
  return dirs.empty() ? fallback : dirs;
}

// A file URI: every byte but the unreserved ones and "/" percent-encoded.
std::string fileUri(const std::filesystem::path& path) {
  static const char* const kHex = "0123456789ABCDEF";
  std::string uri = "file://";
  for (const unsigned char c : path.string()) {
    const bool alnum = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
    if (alnum || c == '/' || c == '-' || c == '.' || c == '_' || c == '~') {
      uri += static_cast<char>(c);
    } else {
      uri += '%';
      uri += kHex[c >> 4];
      uri += kHex[c & 15];
    }
  }
  return uri;
}

}  // namespace

Environment processEnvironment() {
  return [](const std::string& name) -> std::optional<std::string> {
    const char* v = std::getenv(name.c_str());
    if (!v) return std::nullopt;
    return std::string(v);
  };
}

std::optional<std::filesystem::path> xdgDataHome(const Environment& env) {
  return baseDir(env, "XDG_DATA_HOME", ".local/share");
}

std::filesystem::path historyFile(const Environment& env, bool demo) {
  const auto data = xdgDataHome(env);
  return (data ? *data : std::filesystem::path(".local/share")) /
         (demo ? kDemoHistoryRelativePath : kHistoryRelativePath);
}

std::filesystem::path settingsFile(const Environment& env, bool demo) {
  const auto config = xdgConfigHome(env);
  return (config ? *config : std::filesystem::path(".config")) /
         (demo ? kDemoSettingsFileName : kSettingsFileName);
}

std::optional<std::filesystem::path> xdgConfigHome(const Environment& env) {
  return baseDir(env, "XDG_CONFIG_HOME", ".config");
}

std::vector<std::filesystem::path> xdgConfigDirs(const Environment& env) {
  return searchDirs(env, "XDG_CONFIG_DIRS", {"/etc/xdg"});
}

std::vector<std::filesystem::path> xdgDataDirs(const Environment& env) {
  return searchDirs(env, "XDG_DATA_DIRS", {"/usr/local/share", "/usr/share"});
}

std::string desktopIconReference(const Environment& env, const std::filesystem::path& programDir) {
  namespace fs = std::filesystem;
  const std::string svg = std::string(kDesktopIconName) + ".svg";
  std::vector<fs::path> dataDirs = xdgDataDirs(env);
  if (auto home = xdgDataHome(env)) dataDirs.insert(dataDirs.begin(), *home);
  // Installed in any size of the theme that every icon theme falls back to.
  for (const fs::path& dir : dataDirs) {
    std::error_code ec;
    for (fs::directory_iterator size(dir / "icons/hicolor", ec), end; !ec && size != end;
         size.increment(ec)) {
      const fs::path apps = size->path() / "apps";
      std::error_code missing;
      if (fs::is_regular_file(apps / svg, missing) ||
          fs::is_regular_file(apps / (std::string(kDesktopIconName) + ".png"), missing)) {
        return kDesktopIconName;
      }
    }
  }
  for (const fs::path& file : {programDir / svg,
                               programDir / ".." / "share/icons/hicolor/scalable/apps" / svg}) {
    std::error_code ec;
    if (file.is_absolute() && fs::is_regular_file(file, ec)) {
      return fileUri(fs::weakly_canonical(file, ec));
    }
  }
  return kDesktopIconName;
}

}  // namespace tempyra
