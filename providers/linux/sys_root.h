#pragma once
// Reading /proc and /sys below a root directory ("/" in production, a captured tree in tests and
// diagnostics) without ever leaving it.
#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "core/expected.h"

namespace tempyra {

// Files below one root, resolved as if the root were "/": ".." stops at the root and symlinks,
// absolute ones included, resolve inside it, so a captured tree never reads the host's files.
// The kernel does the resolution where it can (openat2 with RESOLVE_IN_ROOT); where it cannot
// (ENOSYS on older kernels, or a sandbox that refuses the call) a resolution in user space
// walks the path one component at a time under the same rules.
//
// Only regular files are read, and they are opened non-blocking: a FIFO, socket or device node
// where an attribute belongs is refused before any read, so it can neither hang a sample nor
// feed it endless bytes. Sizes reported by stat() lie for sysfs and procfs (4096 or 0), so reads
// go to end of file (up to a limit).
//
// Relative paths are taken below the root; a leading "/" is ignored. Failures are values:
// "missing" (no such entry), "unreadable" (permission, or the driver failed the read),
// "not a regular file", and for numbers "not a number". A reader to whom a failed read is only
// "no value this sample" drops the reason with ok().
// Holds one directory descriptor; no other state. REQUIRES: not shared between threads while
// being moved.
class SysRoot {
 public:
  enum class Resolution { automatic, userspace };

  explicit SysRoot(const std::filesystem::path& root, Resolution resolution = Resolution::automatic);
  ~SysRoot();
  SysRoot(SysRoot&& other) noexcept;
  SysRoot& operator=(SysRoot&& other) noexcept;
  SysRoot(const SysRoot&) = delete;
  SysRoot& operator=(const SysRoot&) = delete;

  // False when the root itself cannot be opened; every read then fails as "missing".
  bool valid() const { return rootFd_ >= 0; }
  bool kernelResolution() const { return kernel_; }
  // The root as given, for messages.
  const std::string& rootText() const { return rootText_; }

  // The whole file, at most `limit` bytes.
  Expected<std::string> text(std::string_view relative, std::size_t limit = 65536) const;
  // The file without trailing whitespace (a sysfs attribute's newline).
  Expected<std::string> attribute(std::string_view relative) const;
  // A decimal integer with nothing but whitespace around it.
  Expected<std::int64_t> number(std::string_view relative) const;

  // One non-blocking read() of at most `size` bytes into `buffer` (procfs builds a stat line per
  // read). Returns the byte count, or -1. Below "/" the file type is not checked: one bounded
  // read of a non-blocking descriptor can neither hang nor flood.
  ssize_t readOnce(std::string_view relative, char* buffer, std::size_t size) const;

  // Entry names (none starting with '.'), numbers in names compared by value (hwmon2 before hwmon10);
  // empty when the directory cannot be read. At most `limit` names are kept, the rest counted
  // in `*more` when given.
  std::vector<std::string> list(std::string_view relative, std::size_t limit = SIZE_MAX,
                                std::size_t* more = nullptr) const;
  // All entry names in the directory's own order (cheaper, for /proc with its many entries).
  std::vector<std::string> listUnsorted(std::string_view relative) const;

  // The last component of a symlink's target ("../cooling_device3" -> "cooling_device3");
  // empty when the entry is not a symlink.
  std::string linkBase(std::string_view relative) const;
  bool isLink(std::string_view relative) const;
  bool exists(std::string_view relative) const;
  bool isDirectory(std::string_view relative) const;

 private:
  int open(std::string_view relative, int flags) const;
  int openInUserspace(std::string_view relative, int flags) const;
  // The directory holding the last component, and that component.
  int openParent(std::string_view relative, std::string& last) const;

  int rootFd_ = -1;
  bool kernel_ = false;
  bool plainRoot_ = false;  // "/": nothing can leave it, plain resolution is the same
  std::string rootText_;
};

}  // namespace tempyra
