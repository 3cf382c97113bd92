#include "providers/linux/sys_root.h"

#include <dirent.h>
#include <fcntl.h>
#include <linux/openat2.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>

#include "providers/linux/sys_text.h"

namespace tempyra {
namespace {

constexpr int kMaxLinks = 40;  // as many as the kernel follows in one path walk

int kernelOpen(int dirFd, const char* path, int flags) {
  open_how how{};
  how.flags = static_cast<std::uint64_t>(flags | O_CLOEXEC);
  how.resolve = RESOLVE_IN_ROOT | RESOLVE_NO_MAGICLINKS;
  return static_cast<int>(::syscall(SYS_openat2, dirFd, path, &how, sizeof how));
}

void closeAll(std::vector<int>& fds) {
  for (const int fd : fds) ::close(fd);
  fds.clear();
}

// Pushes the components of `path` so that the first one is popped first.
void pushComponents(std::vector<std::string>& pending, std::string_view path) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  while (start <= path.size()) {
    auto end = path.find('/', start);
    if (end == std::string_view::npos) end = path.size();
    if (end > start) parts.emplace_back(path.substr(start, end - start));
    start = end + 1;
  }
  for (auto it = parts.rbegin(); it != parts.rend(); ++it) pending.push_back(std::move(*it));
}

Error failure(int error) {
  if (error == ENOENT || error == ENOTDIR) return Error{"missing"};
  return Error{"unreadable"};
}

std::string_view withoutLeadingSlash(std::string_view relative) {
  while (!relative.empty() && relative.front() == '/') relative.remove_prefix(1);
  return relative;
}

}  // namespace

SysRoot::SysRoot(const std::filesystem::path& root, Resolution resolution)
    : rootText_(root.native().empty() ? std::string("/") : root.native()) {
  rootFd_ = ::open(rootText_.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
  if (rootFd_ < 0) return;
  plainRoot_ = std::filesystem::path(rootText_).lexically_normal() == "/";
  if (resolution == Resolution::automatic && !plainRoot_) {
    // Older kernels answer ENOSYS; some sandboxes refuse unknown calls with EPERM.
    const int probe = kernelOpen(rootFd_, ".", O_PATH);
    kernel_ = probe >= 0;
    if (probe >= 0) ::close(probe);
  }
}

SysRoot::~SysRoot() {
  if (rootFd_ >= 0) ::close(rootFd_);
}

SysRoot::SysRoot(SysRoot&& other) noexcept
    : rootFd_(other.rootFd_), kernel_(other.kernel_), plainRoot_(other.plainRoot_),
      rootText_(std::move(other.rootText_)) {
  other.rootFd_ = -1;
}

SysRoot& SysRoot::operator=(SysRoot&& other) noexcept {
  if (this != &other) {
    if (rootFd_ >= 0) ::close(rootFd_);
    rootFd_ = other.rootFd_;
    kernel_ = other.kernel_;
    plainRoot_ = other.plainRoot_;
    rootText_ = std::move(other.rootText_);
    other.rootFd_ = -1;
  }
  return *this;
}

int SysRoot::open(std::string_view relative, int flags) const {
  if (rootFd_ < 0) {
    errno = ENOENT;
    return -1;
  }
  relative = withoutLeadingSlash(relative);
  char path[PATH_MAX];
  if (relative.size() >= sizeof path) {
    errno = ENAMETOOLONG;
    return -1;
  }
  if (relative.empty()) relative = ".";
  relative.copy(path, relative.size());
  path[relative.size()] = '\0';
  // Below "/" every path already stays inside the root.
  if (plainRoot_) return ::openat(rootFd_, path, flags | O_CLOEXEC);
  if (kernel_) {
    for (int attempt = 0; attempt < 3; ++attempt) {
      const int fd = kernelOpen(rootFd_, path, flags);
      if (fd >= 0 || errno != EAGAIN) return fd;  // EAGAIN: a rename raced the walk
    }
  }
  return openInUserspace(relative, flags);
}

int SysRoot::openInUserspace(std::string_view relative, int flags) const {
  std::vector<std::string> pending;
  pushComponents(pending, relative);
  std::vector<int> dirs;  // descriptors from the root down; empty while at the root
  int links = 0;
  auto current = [&] { return dirs.empty() ? rootFd_ : dirs.back(); };
  while (!pending.empty()) {
    const std::string name = std::move(pending.back());
    pending.pop_back();
    if (name == ".") continue;
    if (name == "..") {  // never above the root
      if (!dirs.empty()) {
        ::close(dirs.back());
        dirs.pop_back();
      }
      continue;
    }
    char target[PATH_MAX];
    const ssize_t n = ::readlinkat(current(), name.c_str(), target, sizeof target);
    if (n >= 0) {
      if (++links > kMaxLinks || static_cast<std::size_t>(n) >= sizeof target) {
        closeAll(dirs);
        errno = ELOOP;
        return -1;
      }
      const std::string_view link(target, static_cast<std::size_t>(n));
      if (!link.empty() && link.front() == '/') closeAll(dirs);  // absolute: from the root
      pushComponents(pending, link);
      continue;
    }
    if (errno != EINVAL) {  // EINVAL: an entry that is not a symlink
      const int error = errno;
      closeAll(dirs);
      errno = error;
      return -1;
    }
    const int fd = pending.empty()
                       ? ::openat(current(), name.c_str(), flags | O_NOFOLLOW | O_CLOEXEC)
                       : ::openat(current(), name.c_str(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0 || pending.empty()) {
      const int error = errno;
      closeAll(dirs);
      errno = error;
      return fd;
    }
    dirs.push_back(fd);
  }
  // The path named a directory on the way ("", ".", "a/.."): open where the walk ended.
  const int fd = ::openat(current(), ".", flags | O_CLOEXEC);
  const int error = errno;
  closeAll(dirs);
  errno = error;
  return fd;
}

int SysRoot::openParent(std::string_view relative, std::string& last) const {
  relative = withoutLeadingSlash(relative);
  while (!relative.empty() && relative.back() == '/') relative.remove_suffix(1);
  const auto slash = relative.rfind('/');
  last = std::string(slash == std::string_view::npos ? relative : relative.substr(slash + 1));
  if (last.empty() || last == "." || last == "..") return -1;
  return open(slash == std::string_view::npos ? std::string_view() : relative.substr(0, slash),
              O_PATH | O_DIRECTORY);
}

Expected<std::string> SysRoot::text(std::string_view relative, std::size_t limit) const {
  const int fd = open(relative, O_RDONLY | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) return failure(errno);
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    ::close(fd);
    return Error{"not a regular file"};
  }
  std::string text;
  char buffer[4096];
  while (text.size() < limit) {
    const ssize_t n = ::read(fd, buffer, std::min(sizeof buffer, limit - text.size()));
    if (n < 0) {
      if (errno == EINTR) continue;
      ::close(fd);
      return Error{"unreadable"};
    }
    if (n == 0) break;
    text.append(buffer, static_cast<std::size_t>(n));
    // A sysfs attribute comes whole from its first read (the kernel formats it in one page);
    // one read of that size spares the read that would only find the end.
    if (limit <= sizeof buffer) break;
  }
  ::close(fd);
  return text;
}

Expected<std::string> SysRoot::attribute(std::string_view relative) const {
  auto value = text(relative, 4096);
  if (value) *value = std::string(trimRight(*value));
  return value;
}

Expected<std::int64_t> SysRoot::number(std::string_view relative) const {
  const auto value = text(relative, 4096);
  if (!value) return Error{value.error()};
  const auto parsed = parseInteger(*value);
  if (!parsed) return Error{"not a number"};
  return *parsed;
}

ssize_t SysRoot::readOnce(std::string_view relative, char* buffer, std::size_t size) const {
  const int fd = open(relative, O_RDONLY | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) return -1;
  // Below "/" these are the kernel's own files, and this is the per-process path, read once per
  // process and sample: no check costs a system call there. In a captured tree anything may
  // stand in a file's place.
  struct stat info {};
  ssize_t n = -1;
  if (plainRoot_ || (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode))) n = ::read(fd, buffer, size);
  ::close(fd);
  return n;
}

std::vector<std::string> SysRoot::list(std::string_view relative, std::size_t limit,
                                       std::size_t* more) const {
  std::vector<std::string> names = listUnsorted(relative);
  std::sort(names.begin(), names.end(), naturalLess);
  if (more) *more = names.size() > limit ? names.size() - limit : 0;
  if (names.size() > limit) names.resize(limit);
  return names;
}

std::vector<std::string> SysRoot::listUnsorted(std::string_view relative) const {
  std::vector<std::string> names;
  const int fd = open(relative, O_RDONLY | O_DIRECTORY | O_NONBLOCK);
  if (fd < 0) return names;
  DIR* dir = ::fdopendir(fd);
  if (!dir) {
    ::close(fd);
    return names;
  }
  while (const dirent* entry = ::readdir(dir)) {
    const std::string_view name = entry->d_name;
    // sysfs and procfs hold no hidden entries; a captured tree may (.gitkeep).
    if (name.empty() || name.front() == '.') continue;
    names.emplace_back(name);
  }
  ::closedir(dir);
  return names;
}

std::string SysRoot::linkBase(std::string_view relative) const {
  std::string last;
  const int parent = openParent(relative, last);
  if (parent < 0) return {};
  char target[PATH_MAX];
  const ssize_t n = ::readlinkat(parent, last.c_str(), target, sizeof target);
  ::close(parent);
  if (n <= 0 || static_cast<std::size_t>(n) >= sizeof target) return {};
  std::string_view link(target, static_cast<std::size_t>(n));
  while (!link.empty() && link.back() == '/') link.remove_suffix(1);
  const auto slash = link.rfind('/');
  return std::string(slash == std::string_view::npos ? link : link.substr(slash + 1));
}

bool SysRoot::isLink(std::string_view relative) const {
  std::string last;
  const int parent = openParent(relative, last);
  if (parent < 0) return false;
  struct stat info {};
  const bool link = ::fstatat(parent, last.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0 &&
                    S_ISLNK(info.st_mode);
  ::close(parent);
  return link;
}

bool SysRoot::exists(std::string_view relative) const {
  const int fd = open(relative, O_PATH);
  if (fd < 0) return false;
  ::close(fd);
  return true;
}

bool SysRoot::isDirectory(std::string_view relative) const {
  const int fd = open(relative, O_PATH | O_DIRECTORY);
  if (fd < 0) return false;
  ::close(fd);
  return true;
}

}  // namespace tempyra
