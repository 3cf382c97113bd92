#pragma once
// The per-user directories of the XDG base directory rules.
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace tempyra {

// Reads one environment variable; nothing when unset. Injected so tests need no real environment.
using Environment = std::function<std::optional<std::string>(const std::string& name)>;
Environment processEnvironment();

// A variable that is unset, empty or relative counts as unset. HOME falls back to the password
// database. Each answers nothing when no absolute home can be found.
std::optional<std::filesystem::path> xdgDataHome(const Environment& env);
std::optional<std::filesystem::path> xdgConfigHome(const Environment& env);
// XDG_CONFIG_DIRS, most important first; relative entries are skipped; default /etc/xdg.
std::vector<std::filesystem::path> xdgConfigDirs(const Environment& env);
// XDG_DATA_DIRS likewise; default /usr/local/share, /usr/share.
std::vector<std::filesystem::path> xdgDataDirs(const Environment& env);

// The application's icon as other programs (a notification server) should be given it: the
// icon name "com.quorvel.tempyra" when the icon is installed in the hicolor theme of a data
// directory, else a file URI of the icon beside the program (the build tree) or in the share
// directory of its prefix, else the icon name all the same.
std::string desktopIconReference(const Environment& env, const std::filesystem::path& programDir);

inline constexpr const char* kDesktopIconName = "com.quorvel.tempyra";

// Where the history database lives, below the data home. The demonstration build keeps a
// history of its own: its example readings must never mix with the machine's real ones, and
// the two programs may run side by side.
inline constexpr const char* kHistoryRelativePath = "com.quorvel.tempyra/history.sqlite";
inline constexpr const char* kDemoHistoryRelativePath = "com.quorvel.tempyra.demo/history.sqlite";
// The history file of the live or demonstration build; without any home directory, below the
// working directory.
std::filesystem::path historyFile(const Environment& env, bool demo);

// The demonstration build likewise keeps settings and a login item of its own, so that nothing
// done in it (appearance, units, the notification grant, the metrics folder) reaches the live
// application. The settings file lives in the config home (below the working directory without
// one).
inline constexpr const char* kSettingsFileName = "com.quorvel.tempyra.ini";
inline constexpr const char* kDemoSettingsFileName = "com.quorvel.tempyra.demo.ini";
std::filesystem::path settingsFile(const Environment& env, bool demo);
// The autostart entry's file name.
inline constexpr const char* kAutostartEntryName = "com.quorvel.tempyra.desktop";
inline constexpr const char* kDemoAutostartEntryName = "com.quorvel.tempyra.demo.desktop";

}  // namespace tempyra
