// The file-based backends: QSettings user defaults, the compiled-in information dictionary,
// XDG directories and the autostart login item.
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fstream>
#include <map>

#include "app/autostart_login_item.h"
#include "app/resource_info_dictionary.h"
#include "app/settings_user_defaults.h"
#include "app/xdg_paths.h"

namespace tempyra {
namespace {

namespace fs = std::filesystem;

std::string slurp(const fs::path& p) {
  std::ifstream in(p);
  return std::string((std::istreambuf_iterator<char>(in)), {});
}

void put(const fs::path& p, const std::string& text) {
  fs::create_directories(p.parent_path());
  std::ofstream(p) << text;
}

TEST(SettingsUserDefaultsTest, TypedValuesSurviveARestart) {
  QTemporaryDir dir;
  const QString file = dir.filePath("defaults.conf");
  {
    SettingsUserDefaults d(file);
    d.setBytes("preferences", std::string("{\"a\":1}\n\0x", 10));
    d.setString("appearance", "Dark");
    d.setBoolean("quorvel.showTour", false);
    d.setDate("lastThermalAlert", 1'800'000'000.25);
    d.setString("text", "true");
  }
  SettingsUserDefaults d(file);
  EXPECT_EQ(d.bytes("preferences"), std::string("{\"a\":1}\n\0x", 10));
  EXPECT_EQ(d.string("appearance"), "Dark");
  EXPECT_EQ(d.boolean("quorvel.showTour"), false);
  EXPECT_EQ(d.date("lastThermalAlert"), 1'800'000'000.25);
  // A value of another type is no value.
  EXPECT_FALSE(d.bytes("appearance"));
  EXPECT_FALSE(d.date("appearance"));
  EXPECT_FALSE(d.boolean("appearance"));
  EXPECT_FALSE(d.string("missing"));
  d.remove("appearance");
  EXPECT_FALSE(d.string("appearance"));
}

TEST(ResourceInfoDictionaryTest, ReadsTheCompiledInDictionary) {
  // test_app is built with the demonstration dictionary.
  EXPECT_EQ(ResourceInfoDictionary().boolean("QuorvelDemoData"), true);
  EXPECT_FALSE(ResourceInfoDictionary().boolean("Missing"));
  EXPECT_FALSE(ResourceInfoDictionary(":/nothing/here.json").boolean("QuorvelDemoData"));
}

TEST(XdgPathsTest, UnsetEmptyOrRelativeVariablesFallBackToHome) {
  struct Case {
    std::map<std::string, std::string> env;
    std::string data, config;
  };
  const Case cases[] = {
      {{{"HOME", "/home/u"}}, "/home/u/.local/share", "/home/u/.config"},
      {{{"HOME", "/home/u"}, {"XDG_DATA_HOME", ""}, {"XDG_CONFIG_HOME", "rel/conf"}},
       "/home/u/.local/share",
       "/home/u/.config"},
      {{{"HOME", "/home/u"}, {"XDG_DATA_HOME", "/d/"}, {"XDG_CONFIG_HOME", "/c"}}, "/d/", "/c"},
  };
  for (const Case& c : cases) {
    Environment env = [&](const std::string& k) -> std::optional<std::string> {
      auto it = c.env.find(k);
      if (it == c.env.end()) return std::nullopt;
      return it->second;
    };
    EXPECT_EQ(xdgDataHome(env)->string(), c.data);
    EXPECT_EQ(xdgConfigHome(env)->string(), c.config);
  }
  Environment dirs = [](const std::string& k) -> std::optional<std::string> {
    if (k == "XDG_CONFIG_DIRS") return "/a:rel::/b";
    return std::nullopt;
  };
  EXPECT_EQ(xdgConfigDirs(dirs), (std::vector<fs::path>{"/a", "/b"}));
  EXPECT_EQ(xdgConfigDirs([](const std::string&) { return std::nullopt; }),
            (std::vector<fs::path>{"/etc/xdg"}));
}

TEST(AutostartTest, ExecArgumentsAreQuotedAndEscaped) {
  struct Case {
    const char* in;
    const char* out;
  };
  for (const Case& c : {Case{"/usr/bin/tempyra", "/usr/bin/tempyra"},
                        Case{"/opt/My Apps/tempyra", "\"/opt/My Apps/tempyra\""},
                        Case{"/x/$HOME", "\"/x/\\\\$HOME\""},
                        Case{"50%", "50%%"},
                        Case{"a\\b", "\"a\\\\\\\\b\""},
                        Case{"", "\"\""}}) {
    EXPECT_EQ(quoteExecArgument(c.in), c.out) << c.in;
  }
}

struct AutostartRig {
  QTemporaryDir dir;
  fs::path home = dir.filePath("config").toStdString();
  fs::path system = dir.filePath("xdg").toStdString();
  AutostartLoginItem item{home, {system}, "com.quorvel.tempyra.desktop",
                          {"/opt/My Apps/tempyra", "--tray"}};
  fs::path user() const { return home / "autostart/com.quorvel.tempyra.desktop"; }
  fs::path systemEntry() const { return system / "autostart/com.quorvel.tempyra.desktop"; }
};

TEST(AutostartTest, RegisterAndUnregisterReadBackFromTheFile) {
  AutostartRig r;
  EXPECT_EQ(r.item.status(), LoginItemStatus::notRegistered);
  EXPECT_FALSE(r.item.registerItem());
  EXPECT_EQ(r.item.status(), LoginItemStatus::enabled);
  const std::string text = slurp(r.user());
  EXPECT_NE(text.find("[Desktop Entry]\n"), std::string::npos);
  EXPECT_NE(text.find("Exec=\"/opt/My Apps/tempyra\" --tray\n"), std::string::npos);
  EXPECT_EQ(std::distance(fs::directory_iterator(r.user().parent_path()), {}), 1);  // no temp
  EXPECT_FALSE(r.item.unregisterItem());
  EXPECT_FALSE(fs::exists(r.user()));
  EXPECT_EQ(r.item.status(), LoginItemStatus::notRegistered);
  EXPECT_FALSE(r.item.unregisterItem());  // nothing to remove is fine
}

TEST(AutostartTest, StatusFollowsTheEntryThatCounts) {
  struct Case {
    const char* user;    // nullptr: no user file
    const char* system;  // nullptr: no system file
    LoginItemStatus status;
  };
  const char* on = "[Desktop Entry]\nType=Application\nExec=tempyra\n";
  const char* hidden = "[Desktop Entry]\nExec=tempyra\nHidden=true\n";
  const char* gnomeOff = "[Desktop Entry]\nExec=tempyra\nX-GNOME-Autostart-enabled=false\n";
  const Case cases[] = {
      {nullptr, on, LoginItemStatus::enabled},
      {hidden, on, LoginItemStatus::notRegistered},
      {gnomeOff, nullptr, LoginItemStatus::notRegistered},
      {"garbage without a group\n", nullptr, LoginItemStatus::notRegistered},
      {"[Other]\nHidden=true\n[Desktop Entry]\nExec=x\n", nullptr, LoginItemStatus::enabled},
      {on, hidden, LoginItemStatus::enabled},
  };
  for (const Case& c : cases) {
    AutostartRig r;
    if (c.user) put(r.user(), c.user);
    if (c.system) put(r.systemEntry(), c.system);
    EXPECT_EQ(r.item.status(), c.status) << (c.user ? c.user : "-") << (c.system ? c.system : "-");
  }
}

TEST(AutostartTest, UnregisterMasksASystemWideEntry) {
  AutostartRig r;
  put(r.systemEntry(), "[Desktop Entry]\nType=Application\nExec=tempyra\n");
  EXPECT_EQ(r.item.status(), LoginItemStatus::enabled);
  EXPECT_FALSE(r.item.unregisterItem());
  EXPECT_EQ(r.item.status(), LoginItemStatus::notRegistered);
  EXPECT_NE(slurp(r.user()).find("Hidden=true\n"), std::string::npos);
}

TEST(AutostartTest, FailuresAreReportedNotThrown) {
  QTemporaryDir dir;
  const fs::path blocker = dir.filePath("file").toStdString();
  put(blocker, "x");  // a file where the config directory should be
  AutostartLoginItem blocked(blocker, {}, "a.desktop", {"tempyra"});
  const auto error = blocked.registerItem();
  ASSERT_TRUE(error);
  EXPECT_NE(error->find(blocker.string()), std::string::npos);
  AutostartLoginItem nowhere(std::nullopt, {}, "a.desktop", {"tempyra"});
  EXPECT_EQ(nowhere.status(), LoginItemStatus::notFound);
  EXPECT_TRUE(nowhere.registerItem());
}

}  // namespace
}  // namespace tempyra
