#include "history/export_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <optional>
#include <system_error>
#include <utility>

namespace tempyra {

namespace {

namespace fs = std::filesystem;

constexpr const char* kNotCreated = "Could not create export.";
constexpr const char* kOntoHistory =
    "The export cannot replace the history's own files. Choose another file.";
constexpr const char* kNotRegular =
    "The export can only replace a regular file. Choose another file.";

constexpr std::size_t kBufferSize = 1 << 20;
constexpr int kMaxLinks = 40;  // the kernel's own limit for one path

// The path a chain of symbolic links ends at (which need not exist yet). A loop is left as a
// link, which the regular-file check then refuses.
fs::path followLinks(fs::path path) {
  for (int hops = 0; hops < kMaxLinks; ++hops) {
    std::error_code ec;
    if (!fs::is_symlink(fs::symlink_status(path, ec))) break;
    const fs::path link = fs::read_symlink(path, ec);
    if (ec) break;
    path = link.is_absolute() ? link : path.parent_path() / link;
  }
  return path;
}

std::optional<struct stat> identity(const fs::path& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return std::nullopt;
  return st;
}

// The absolute path with links and dot segments resolved as far as it exists; nothing when the
// file system cannot tell.
std::optional<fs::path> resolved(const fs::path& path) {
  std::error_code ec;
  const fs::path absolute = fs::absolute(path, ec);
  if (ec) return std::nullopt;
  fs::path canonical = fs::weakly_canonical(absolute, ec);
  if (ec) return std::nullopt;
  return canonical;
}

// Names are compared as well as inodes: a companion that does not exist right now (the rollback
// journal, say) would still be taken for one once the export stood under its name.
bool sameFile(const fs::path& target, const std::optional<struct stat>& targetId,
              const fs::path& other) {
  const auto otherId = identity(other);
  if (targetId && otherId) {
    return targetId->st_dev == otherId->st_dev && targetId->st_ino == otherId->st_ino;
  }
  const auto a = resolved(target), b = resolved(other);
  return a && b && *a == *b;
}

}  // namespace

Expected<std::unique_ptr<ExportFile>> ExportFile::open(
    const fs::path& chosen, const std::vector<fs::path>& protectedFiles) {
  const fs::path target = followLinks(chosen);
  struct stat st {};
  const bool exists = ::lstat(target.c_str(), &st) == 0;
  if (exists && !S_ISREG(st.st_mode)) return Error{kNotRegular};
  const auto targetId = exists ? std::optional(st) : std::nullopt;
  for (const fs::path& file : protectedFiles) {
    if (sameFile(target, targetId, file)) return Error{kOntoHistory};
  }

  const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
  // Appended piece by piece: GCC 12 at -O3 takes `"." + name` for an overlapping copy.
  std::string hidden = ".";
  hidden += target.filename().string();
  hidden += ".XXXXXX";
  std::string pattern = (folder / hidden).string();
  const int fd = ::mkostemp(pattern.data(), O_CLOEXEC);  // created 0600
  if (fd < 0) return Error{kNotCreated};
  if (exists) ::fchmod(fd, st.st_mode & 0777);  // a replaced file keeps its permissions
  return std::unique_ptr<ExportFile>(new ExportFile(target, pattern, fd));
}

ExportFile::ExportFile(fs::path target, fs::path temporary, int fd)
    : target_(std::move(target)), temporary_(std::move(temporary)), fd_(fd) {
  buffer_.reserve(kBufferSize);
}

ExportFile::~ExportFile() {
  if (fd_ >= 0) ::close(fd_);
  if (!temporary_.empty()) ::unlink(temporary_.c_str());
}

Error ExportFile::fileError(const char* what, int error) const {
  return Error{
      fs::filesystem_error(what, target_, std::error_code(error, std::generic_category())).what()};
}

void ExportFile::drain(std::string_view bytes) {
  while (!bytes.empty() && !failure_) {
    const ssize_t written = ::write(fd_, bytes.data(), bytes.size());
    if (written < 0) {
      if (errno != EINTR) failure_ = fileError("Could not write the export", errno);
      continue;
    }
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
}

void ExportFile::write(std::string_view bytes) {
  if (failure_) return;
  if (buffer_.size() + bytes.size() > kBufferSize) {
    drain(buffer_);
    buffer_.clear();
    if (bytes.size() >= kBufferSize) {
      drain(bytes);
      return;
    }
  }
  buffer_.append(bytes);
}

Status ExportFile::commit() {
  drain(buffer_);
  buffer_.clear();
  if (failure_) return *failure_;
  // Space that a file system only promises (delayed allocation, network volumes) is refused at
  // the sync or the close at the latest; either failure keeps the earlier file.
  if (::fsync(fd_) != 0) return fileError("Could not write the export", errno);
  const int fd = std::exchange(fd_, -1);
  if (::close(fd) != 0) return fileError("Could not write the export", errno);
  if (::rename(temporary_.c_str(), target_.c_str()) != 0) {
    return fileError("Could not replace the export", errno);
  }
  temporary_.clear();
  // The new name is durable once the folder is synced; a folder that cannot be synced (some
  // network file systems) still holds the complete file.
  const fs::path folder = target_.has_parent_path() ? target_.parent_path() : fs::path(".");
  if (const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); dir >= 0) {
    ::fsync(dir);
    ::close(dir);
  }
  return {};
}

}  // namespace tempyra
