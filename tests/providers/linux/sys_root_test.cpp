#include "providers/linux/sys_root.h"

#include <gtest/gtest.h>

#include "temp_tree.h"

namespace tempyra {
namespace {

using testing::TempTree;

// What one read gave: the text, or "error: <why>".
std::string outcome(const Expected<std::string>& text) { return text ? *text : "error: " + text.error(); }

TEST(SysRoot, ReadsStayInsideTheRootAndNeverBlock) {
  TempTree tree;
  tree.write("etc/hostname", "tree\n");
  tree.write("sys/devices/platform/x/hwmon/hwmon0/name", "coretemp\n");
  tree.link("sys/class/hwmon/hwmon0", "../../devices/platform/x/hwmon/hwmon0");
  tree.link("sys/absolute", "/etc/hostname");   // the host's file must not be read
  tree.link("sys/escape", "../../../../../../../../etc/hostname");
  tree.link("sys/host-only", "/etc/passwd");    // exists on the host, not in the tree
  tree.link("sys/loop", "loop2");
  tree.link("sys/loop2", "loop");
  tree.fifo("sys/fifo");
  tree.mkdir("sys/dir");
  tree.write("sys/empty", "");
  const std::pair<const char*, const char*> cases[] = {
      {"sys/class/hwmon/hwmon0/name", "coretemp\n"}, {"/sys/absolute", "tree\n"},
      {"sys/escape", "tree\n"},                      {"sys/host-only", "error: missing"},
      {"sys/loop", "error: unreadable"},             {"sys/fifo", "error: not a regular file"},
      {"sys/dir", "error: not a regular file"},      {"sys/empty", ""},
      {"sys/none", "error: missing"},
  };
  for (const auto resolution : {SysRoot::Resolution::automatic, SysRoot::Resolution::userspace}) {
    const SysRoot root(tree.root(), resolution);
    for (const auto& [path, expected] : cases)
      EXPECT_EQ(outcome(root.text(path)), expected) << path << " kernel " << root.kernelResolution();
    EXPECT_EQ(root.linkBase("sys/class/hwmon/hwmon0"), "hwmon0");
    EXPECT_TRUE(root.isDirectory("sys/class/hwmon/hwmon0"));
  }
}

TEST(SysRoot, NumbersAndListings) {
  TempTree tree;
  for (const char* name : {"hwmon10", "hwmon2", ".gitkeep", "hwmon1"}) tree.write(std::string("d/") + name, "");
  tree.write("n/ok", " 42\n");
  tree.write("n/negative", "-274000\n");
  tree.write("n/huge", "99999999999999999999\n");
  tree.write("n/text", "N/A\n");
  const SysRoot root(tree.root());
  EXPECT_EQ(root.list("d"), (std::vector<std::string>{"hwmon1", "hwmon2", "hwmon10"}));
  std::size_t more = 0;
  EXPECT_EQ(root.list("d", 2, &more).size(), 2u);
  EXPECT_EQ(more, 1u);
  EXPECT_EQ(root.number("n/ok").ok(), 42);
  EXPECT_EQ(root.number("n/negative").ok(), -274000);
  EXPECT_EQ(root.number("n/huge").error(), "not a number");
  EXPECT_EQ(root.number("n/text").error(), "not a number");
}

}  // namespace
}  // namespace tempyra
