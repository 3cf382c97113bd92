#pragma once
// A throwaway /proc and /sys tree for cases that a captured fixture cannot hold (values that
// change between samples, unreadable files).
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace tempyra::testing {

class TempTree {
 public:
  TempTree() {
    std::string pattern = (std::filesystem::temp_directory_path() / "tempyra-tree-XXXXXX").string();
    root_ = ::mkdtemp(pattern.data());
  }
  ~TempTree() {
    std::error_code ignored;
    std::filesystem::remove_all(root_, ignored);
  }
  TempTree(const TempTree&) = delete;
  TempTree& operator=(const TempTree&) = delete;

  const std::filesystem::path& root() const { return root_; }

  // Writes `content` to `relative`, creating the directories on the way.
  void write(const std::string& relative, const std::string& content) const {
    const auto path = root_ / relative;
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary | std::ios::trunc) << content;
  }
  void mkdir(const std::string& relative) const { std::filesystem::create_directories(root_ / relative); }
  void link(const std::string& relative, const std::string& target) const {
    std::filesystem::create_directories((root_ / relative).parent_path());
    std::filesystem::create_symlink(target, root_ / relative);
  }

 private:
  std::filesystem::path root_;
};

}  // namespace tempyra::testing
