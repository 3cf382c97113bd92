#pragma once
// A throwaway /proc and /sys tree for cases that a captured fixture cannot hold (values that
// change between samples, FIFOs, symlink loops, thousands of entries). Removed with everything
// below it on destruction.
#include <stdlib.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace tempyra::testing {

struct TempTree {
  std::filesystem::path dir = [] {
    std::string pattern = (std::filesystem::temp_directory_path() / "tempyra-tree-XXXXXX").string();
    return std::filesystem::path(::mkdtemp(pattern.data()));
  }();
  ~TempTree() { std::filesystem::remove_all(dir); }

  const std::filesystem::path& root() const { return dir; }
  void write(const std::string& relative, const std::string& content) const {
    std::filesystem::create_directories((dir / relative).parent_path());
    std::ofstream(dir / relative, std::ios::binary) << content;
  }
  void mkdir(const std::string& relative) const { std::filesystem::create_directories(dir / relative); }
  void link(const std::string& relative, const std::string& target) const {
    std::filesystem::create_directories((dir / relative).parent_path());
    std::filesystem::create_symlink(target, dir / relative);
  }
  void fifo(const std::string& relative) const {
    std::filesystem::create_directories((dir / relative).parent_path());
    ::mkfifo((dir / relative).c_str(), 0644);
  }
  // Every file and link of `fixture` (a tree under tests/fixtures), so a test can damage a copy.
  void copy(const std::filesystem::path& fixture) const {
    std::filesystem::copy(fixture, dir,
                          std::filesystem::copy_options::recursive | std::filesystem::copy_options::copy_symlinks);
  }
};

}  // namespace tempyra::testing
