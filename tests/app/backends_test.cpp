// The file-based backends: QSettings user defaults, the compiled-in information dictionary,
// XDG directories, the notification icon, the session bus lookup and the autostart login item.
#include <QTemporaryDir>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <fstream>
#include <map>

#include "app/autostart_login_item.h"
#include "app/resource_info_dictionary.h"
#include "app/session_bus.h"
#include "app/settings_user_defaults.h"
#include "app/xdg_paths.h"

namespace tempyra {
namespace {

namespace fs = std::filesystem;

std::string slurp(const fs::path& p) {
  std::ifstream in(p);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void put(const fs::path& p, const std::string& text) {
  fs::create_directories(p.parent_path());
  std::ofstream(p) << text;
}

TEST(SettingsUserDefaultsTest, TypedValuesSurviveARestart) {
  QTemporaryDir dir;
  const std::string bytes("{\"a\":1}\n\0x", 10);
  {
    SettingsUserDefaults d(dir.filePath("defaults.conf"));
    d.setBytes("preferences", bytes);
    d.setString("appearance", "Dark");
    d.setBoolean("quorvel.showTour", false);
    d.setDate("lastThermalAlert", 1'800'000'000.25);
  }
  SettingsUserDefaults d(dir.filePath("defaults.conf"));
  EXPECT_EQ(d.bytes("preferences"), bytes);
  EXPECT_EQ(d.string("appearance"), "Dark");
  EXPECT_EQ(d.boolean("quorvel.showTour"), false);
  EXPECT_EQ(d.date("lastThermalAlert"), 1'800'000'000.25);
  EXPECT_FALSE(d.bytes("appearance"));  // another type is no value
  EXPECT_FALSE(d.date("appearance"));
}

// Only a regular file, directly or through a link, is read and written. Anything else is never
// opened (a named pipe would block the start) nor replaced; the values then live in memory and
// the problem names the file.
TEST(SettingsUserDefaultsTest, OnlyARegularFileIsReadOrWritten) {
  QTemporaryDir dir;
  const fs::path root = dir.path().toStdString();
  ASSERT_EQ(::mkfifo((root / "pipe").c_str(), 0600), 0);
  fs::create_directory(root / "folder");
  fs::create_symlink("/dev/null", root / "null");
  fs::create_symlink(root / "none", root / "dangling");
  const std::pair<const char*, const char*> cases[] = {
      {"null", "a link to a device"}, {"pipe", "a named pipe"},
      {"folder", "a folder"},         {"dangling", "a link to nothing"}};
  for (const auto& [name, kind] : cases) {
    const fs::path file = root / name;
    struct stat before {}, after {};
    ::lstat(file.c_str(), &before);
    {
      SettingsUserDefaults d(QString::fromStdString(file.string()));
      EXPECT_EQ(d.problem(), (Problem{ProblemKind::settingsNotAFile, kind, 0, file}));
      d.setString("appearance", "Dark");
      EXPECT_EQ(d.string("appearance"), "Dark");
      d.sync();
    }
    ::lstat(file.c_str(), &after);
    EXPECT_EQ(after.st_ino, before.st_ino) << name;
    EXPECT_EQ(after.st_mode, before.st_mode) << name;
  }
  put(root / "real.ini", "");
  fs::create_symlink(root / "real.ini", root / "link.ini");
  {
    SettingsUserDefaults d(QString::fromStdString((root / "link.ini").string()));
    EXPECT_FALSE(d.problem());
    d.setString("appearance", "Dark");
  }
  EXPECT_NE(slurp(root / "real.ini").find("Dark"), std::string::npos);
}

TEST(ResourceInfoDictionaryTest, ReadsTheCompiledInDictionary) {
  EXPECT_EQ(ResourceInfoDictionary().boolean("QuorvelDemoData"), true);  // test_app is the demo
  EXPECT_FALSE(ResourceInfoDictionary(":/nothing/here.json").boolean("QuorvelDemoData"));
}

Environment envOf(std::map<std::string, std::string> vars) {
  return [vars = std::move(vars)](const std::string& k) -> std::optional<std::string> {
    auto it = vars.find(k);
    return it == vars.end() ? std::nullopt : std::optional(it->second);
  };
}

TEST(XdgPathsTest, UnsetEmptyOrRelativeVariablesFallBackToHome) {
  const std::map<std::string, std::string> cases[] = {
      {{"HOME", "/h"}},
      {{"HOME", "/h"}, {"XDG_DATA_HOME", ""}, {"XDG_CONFIG_HOME", "rel"}},
      {{"HOME", "/h"}, {"XDG_DATA_HOME", "/h/.local/share"}, {"XDG_CONFIG_DIRS", "/a:rel::/b"}},
  };
  for (const auto& vars : cases) {
    const Environment env = envOf(vars);
    EXPECT_EQ(xdgDataHome(env), fs::path("/h/.local/share"));
    EXPECT_EQ(xdgConfigHome(env), fs::path("/h/.config"));
    const std::vector<fs::path> dirs = vars.count("XDG_CONFIG_DIRS")
                                           ? std::vector<fs::path>{"/a", "/b"}
                                           : std::vector<fs::path>{"/etc/xdg"};
    EXPECT_EQ(xdgConfigDirs(env), dirs);
  }
  // Where a user's history and settings have always been; the demonstration keeps its own.
  const Environment env = envOf(cases[0]);
  EXPECT_EQ(historyFile(env, false), fs::path("/h/.local/share/com.quorvel.tempyra/history.sqlite"));
  EXPECT_EQ(settingsFile(env, false), fs::path("/h/.config/com.quorvel.tempyra.ini"));
  EXPECT_NE(historyFile(env, true), historyFile(env, false));
  EXPECT_NE(settingsFile(env, true), settingsFile(env, false));
}

TEST(XdgPathsTest, NotificationIconIsTheThemeNameOnceInstalledElseTheFileBesideTheProgram) {
  QTemporaryDir dir;
  const fs::path root = dir.path().toStdString();
  const fs::path build = root / "my build/ui", prefix = root / "opt/t", data = root / "data";
  put(build / "com.quorvel.tempyra.svg", "<svg/>");
  put(prefix / "share/icons/hicolor/scalable/apps/com.quorvel.tempyra.svg", "<svg/>");
  put(data / "icons/hicolor/48x48/apps/com.quorvel.tempyra.png", "png");
  fs::create_directories(prefix / "bin");
  const std::string home = (root / "home").string(), nothing = (root / "none").string();
  const std::tuple<std::string, fs::path, std::string> cases[] = {
      // XDG_DATA_DIRS, program directory, reference
      {nothing + ":" + data.string(), build, "com.quorvel.tempyra"},
      {nothing, build, "file://" + (root / "my%20build/ui/com.quorvel.tempyra.svg").string()},
      {nothing, prefix / "bin",
       "file://" + (prefix / "share/icons/hicolor/scalable/apps/com.quorvel.tempyra.svg").string()},
      {nothing, root / "elsewhere", "com.quorvel.tempyra"},
  };
  for (const auto& [dataDirs, programDir, reference] : cases) {
    const Environment env = envOf({{"HOME", home}, {"XDG_DATA_DIRS", dataDirs}});
    EXPECT_EQ(desktopIconReference(env, programDir), reference) << programDir;
  }
}

TEST(SessionBusTest, AdvertisedByAnAddressOrTheUserBusSocket) {
  QTemporaryDir dir;
  const std::string withSocket = dir.filePath("run").toStdString();
  const std::string withFile = dir.filePath("file").toStdString();
  fs::create_directories(withSocket);
  put(fs::path(withFile) / "bus", "not a socket");
  const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un addr{};
  addr.sun_family = AF_UNIX;
  const std::string path = withSocket + "/bus";
  ASSERT_LT(path.size(), sizeof addr.sun_path);
  path.copy(addr.sun_path, path.size());
  ASSERT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
  const std::pair<std::map<std::string, std::string>, bool> cases[] = {
      {{{"DBUS_SESSION_BUS_ADDRESS", "unix:path=/run/user/1000/bus"}}, true},
      {{{"DBUS_SESSION_BUS_ADDRESS", ""}, {"XDG_RUNTIME_DIR", withSocket}}, true},
      {{{"XDG_RUNTIME_DIR", withFile}}, false},
      {{{"DBUS_SESSION_BUS_ADDRESS", "disabled:"}, {"XDG_RUNTIME_DIR", withSocket}}, false},
      {{{"XDG_RUNTIME_DIR", "run"}}, false},
      {{}, false},
  };
  for (const auto& [vars, advertised] : cases) {
    EXPECT_EQ(sessionBusAdvertised(envOf(vars)), advertised) << vars.size();
  }
  close(fd);
}

TEST(AutostartTest, ExecArgumentsAreQuotedAndEscaped) {
  const std::pair<const char*, const char*> cases[] = {
      {"/usr/bin/tempyra", "/usr/bin/tempyra"}, {"/opt/My Apps/t", "\"/opt/My Apps/t\""},
      {"/x/$HOME", "\"/x/\\\\$HOME\""},         {"50%", "50%%"},
      {"a\\b", "\"a\\\\\\\\b\""},               {"", "\"\""}};
  for (const auto& [in, out] : cases) EXPECT_EQ(quoteExecArgument(in), out) << in;
}

struct AutostartRig {
  QTemporaryDir dir;
  fs::path home = dir.filePath("config").toStdString(), system = dir.filePath("xdg").toStdString();
  AutostartLoginItem item{home, {system}, "t.desktop", {"/opt/My Apps/tempyra", "--tray"}};
  fs::path user() const { return home / "autostart/t.desktop"; }
  fs::path systemEntry() const { return system / "autostart/t.desktop"; }
};

TEST(AutostartTest, RegisterAndUnregisterReadBackFromTheFile) {
  AutostartRig r;
  EXPECT_EQ(r.item.status(), LoginItemStatus::notRegistered);
  EXPECT_TRUE(r.item.registerItem());
  EXPECT_EQ(r.item.status(), LoginItemStatus::enabled);
  EXPECT_NE(slurp(r.user()).find("\nExec=\"/opt/My Apps/tempyra\" --tray\n"), std::string::npos);
  EXPECT_EQ(std::distance(fs::directory_iterator(r.user().parent_path()), {}), 1);  // no temp
  EXPECT_TRUE(r.item.unregisterItem());
  EXPECT_EQ(r.item.status(), LoginItemStatus::notRegistered);
  EXPECT_TRUE(r.item.unregisterItem());  // nothing to remove is fine
  // A system-wide entry of the same name is masked, not left running.
  put(r.systemEntry(), "[Desktop Entry]\nType=Application\nExec=tempyra\n");
  EXPECT_EQ(r.item.status(), LoginItemStatus::enabled);
  EXPECT_TRUE(r.item.unregisterItem());
  EXPECT_EQ(r.item.status(), LoginItemStatus::notRegistered);
  EXPECT_NE(slurp(r.user()).find("\nHidden=true\n"), std::string::npos);
}

TEST(AutostartTest, StatusFollowsTheEntryThatCounts) {
  const char* on = "[Desktop Entry]\nExec=tempyra\n";
  const char* hidden = "[Desktop Entry]\nExec=tempyra\nHidden=true\n";
  struct Case {
    const char *user, *system;  // nullptr: no such file
    LoginItemStatus status;
  };
  for (const Case& c : {Case{nullptr, on, LoginItemStatus::enabled},
                        Case{hidden, on, LoginItemStatus::notRegistered},
                        Case{on, hidden, LoginItemStatus::enabled},
                        Case{"[Desktop Entry]\nX-GNOME-Autostart-enabled=false\n", nullptr,
                             LoginItemStatus::notRegistered},
                        Case{"no group\n", nullptr, LoginItemStatus::notRegistered},
                        Case{"[Other]\nHidden=true\n[Desktop Entry]\n", nullptr,
                             LoginItemStatus::enabled}}) {
    AutostartRig r;
    if (c.user) put(r.user(), c.user);
    if (c.system) put(r.systemEntry(), c.system);
    EXPECT_EQ(r.item.status(), c.status) << (c.user ? c.user : "-");
  }
}

TEST(AutostartTest, FailuresAreReportedNotThrown) {
  QTemporaryDir dir;
  const fs::path blocker = dir.filePath("file").toStdString();
  put(blocker, "x");  // a file where the config directory should be
  AutostartLoginItem blocked(blocker, {}, "a.desktop", {"tempyra"});
  const Status refused = blocked.registerItem();
  ASSERT_FALSE(refused);
  EXPECT_NE(refused.error().find(blocker.string()), std::string::npos);
  AutostartLoginItem nowhere(std::nullopt, {}, "a.desktop", {"tempyra"});
  EXPECT_EQ(nowhere.status(), LoginItemStatus::notFound);
  EXPECT_FALSE(nowhere.registerItem());
}

}  // namespace
}  // namespace tempyra
