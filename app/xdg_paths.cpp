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

std::optional<std::filesystem::path> xdgConfigHome(const Environment& env) {
  return baseDir(env, "XDG_CONFIG_HOME", ".config");
}

std::vector<std::filesystem::path> xdgConfigDirs(const Environment& env) {
  std::vector<std::filesystem::path> dirs;
  if (auto value = env("XDG_CONFIG_DIRS"); value && !value->empty()) {
    std::stringstream parts(*value);
    for (std::string part; std::getline(parts, part, ':');) {
      if (!part.empty() && part[0] == '/') dirs.emplace_back(part);
    }
  }
  if (dirs.empty()) dirs.emplace_back("/etc/xdg");
  return dirs;
}

}  // namespace tempyra
