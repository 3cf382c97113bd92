#include "core/atomic_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <ctime>
#include <random>

namespace tempyra {

namespace {

namespace fs = std::filesystem;

constexpr std::size_t kBufferSize = 1 << 20;
// A piece at least this large goes to the file without being copied into the buffer.
constexpr std::size_t kDirectSize = 64 << 10;
// How far the disk may fall behind the written bytes before writing waits for it.
constexpr off_t kWriteBehindLag = 32 << 20;
constexpr int kNameTries = 100;
constexpr time_t kStaleSeconds = 24 * 60 * 60;
constexpr std::string_view kLetters =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
constexpr std::size_t kRandomLetters = 6;

fs::path folderOf(const fs::path& target) {
  return target.has_parent_path() ? target.parent_path() : fs::path(".");
}

// A fresh candidate for a temporary file's name.
std::string temporaryName() {
  thread_local std::minstd_rand random(std::random_device{}() ^ static_cast<unsigned>(::getpid()));
  std::string name(AtomicFile::kTemporaryPrefix);
  std::uniform_int_distribution<std::size_t> letter(0, kLetters.size() - 1);
  for (std::size_t i = 0; i < kRandomLetters; ++i) name += kLetters[letter(random)];
  return name;
}

bool isTemporaryName(std::string_view name) {
  if (!name.starts_with(AtomicFile::kTemporaryPrefix)) return false;
  name.remove_prefix(AtomicFile::kTemporaryPrefix.size());
  return name.size() == kRandomLetters && name.find_first_not_of(kLetters) == std::string::npos;
}

}  // namespace

AtomicFile::AtomicFile(fs::path target, mode_t mode, Durability durability)
    : target_(std::move(target)), name_(target_.filename().string()), durability_(durability) {
  folder_ = ::open(folderOf(target_).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (folder_ < 0) {
    failure_ = Failure{Failure::Step::create, errno};
    return;
  }
  // Found now rather than when the finished file is given its name.
  const long nameMax = ::fpathconf(folder_, _PC_NAME_MAX);
  if (name_.empty() || (nameMax > 0 && name_.size() > static_cast<std::size_t>(nameMax))) {
    failure_ = Failure{Failure::Step::create, name_.empty() ? EISDIR : ENAMETOOLONG};
    return;
  }
  const bool unnamed = openUnnamed(mode);
  removeStaleTemporaries();
  if (!unnamed) openNamed(mode);
  if (fd_ >= 0 && ::fchmod(fd_, mode) != 0) fail(Failure::Step::create, errno);
}

AtomicFile::~AtomicFile() {
  if (fd_ >= 0) ::close(fd_);
  if (!temporary_.empty()) ::unlinkat(folder_, temporary_.c_str(), 0);
  if (folder_ >= 0) ::close(folder_);
}

// False where the file system has no unnamed files (or /proc, through which the file is named
// later, is missing); a refusal of the folder itself is a failure.
bool AtomicFile::openUnnamed(mode_t mode) {
  fd_ = ::openat(folder_, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, mode);
  if (fd_ < 0) {
    if (errno == EOPNOTSUPP || errno == EISDIR || errno == EINVAL) return false;
    failure_ = Failure{Failure::Step::create, errno};
    return true;
  }
  struct stat st {};
  if (::stat(("/proc/self/fd/" + std::to_string(fd_)).c_str(), &st) == 0) return true;
  ::close(fd_);
  fd_ = -1;
  return false;
}

void AtomicFile::openNamed(mode_t mode) {
  for (int tries = 0; tries < kNameTries; ++tries) {
    std::string name = temporaryName();
    fd_ = ::openat(folder_, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
    if (fd_ >= 0) {
      temporary_ = std::move(name);
      return;
    }
    if (errno != EEXIST) break;
  }
  failure_ = Failure{Failure::Step::create, errno};
}

void AtomicFile::removeStaleTemporaries() const {
  const int listing = ::dup(folder_);
  if (listing < 0) return;
  DIR* dir = ::fdopendir(listing);
  if (dir == nullptr) {
    ::close(listing);
    return;
  }
  const time_t cutoff = std::time(nullptr) - kStaleSeconds;
  const uid_t user = ::geteuid();
  while (const dirent* entry = ::readdir(dir)) {
    if (!isTemporaryName(entry->d_name)) continue;
    struct stat st {};
    if (::fstatat(folder_, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 &&
        S_ISREG(st.st_mode) && st.st_uid == user && st.st_mtime < cutoff) {
      ::unlinkat(folder_, entry->d_name, 0);
    }
  }
  ::closedir(dir);
}

std::optional<AtomicFile::Failure> AtomicFile::fail(Failure::Step step, int error) {
  if (!failure_) failure_ = Failure{step, error};
  return failure_;
}

std::optional<AtomicFile::Failure> AtomicFile::drain(std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t written = ::write(fd_, bytes.data(), bytes.size());
    if (written < 0) {
      if (errno == EINTR) continue;
      return fail(Failure::Step::write, errno);
    }
    bytes.remove_prefix(static_cast<std::size_t>(written));
    written_ += written;
  }
  return std::nullopt;
}

// The disk's work on a large file overlaps with producing it: the bytes go to the disk as soon
// as they reach the file, and writing waits only for those more than kWriteBehindLag behind, so
// the file's dirty pages stay bounded and the sync at the end has little left to do, while the
// disk's latency is not waited for once per buffer. Advice only: a file system that ignores it
// is synced at the end all the same.
void AtomicFile::writeBehind() {
  if (durability_ == Durability::none) return;
  if (written_ > started_) {
    ::sync_file_range(fd_, started_, written_ - started_, SYNC_FILE_RANGE_WRITE);
    started_ = written_;
  }
  if (started_ - waited_ > kWriteBehindLag) {
    const off_t until = started_ - kWriteBehindLag;
    ::sync_file_range(fd_, waited_, until - waited_,
                      SYNC_FILE_RANGE_WAIT_BEFORE | SYNC_FILE_RANGE_WRITE |
                          SYNC_FILE_RANGE_WAIT_AFTER);
    waited_ = until;
  }
}

std::optional<AtomicFile::Failure> AtomicFile::write(std::string_view bytes) {
  if (failure_) return failure_;
  if (bytes.size() < kDirectSize && buffer_.size() + bytes.size() <= kBufferSize) {
    buffer_.append(bytes);
    return std::nullopt;
  }
  if (auto f = drain(buffer_)) return f;
  buffer_.clear();
  if (bytes.size() >= kDirectSize) {
    if (auto f = drain(bytes)) return f;
  } else {
    buffer_.append(bytes);
  }
  writeBehind();
  return std::nullopt;
}

// A link cannot replace a name, so a target that exists is replaced by a rename from a
// temporary name, which lives only between the two calls.
std::optional<AtomicFile::Failure> AtomicFile::linkIntoPlace() {
  const std::string self = "/proc/self/fd/" + std::to_string(fd_);
  if (::linkat(AT_FDCWD, self.c_str(), folder_, name_.c_str(), AT_SYMLINK_FOLLOW) == 0) {
    return std::nullopt;
  }
  if (errno != EEXIST) return fail(Failure::Step::replace, errno);
  for (int tries = 0; tries < kNameTries; ++tries) {
    std::string name = temporaryName();
    if (::linkat(AT_FDCWD, self.c_str(), folder_, name.c_str(), AT_SYMLINK_FOLLOW) == 0) {
      temporary_ = std::move(name);
      break;
    }
    if (errno != EEXIST) return fail(Failure::Step::replace, errno);
  }
  if (temporary_.empty()) return fail(Failure::Step::replace, EEXIST);
  return std::nullopt;
}

std::optional<AtomicFile::Failure> AtomicFile::commit() {
  if (failure_) return failure_;
  if (auto f = drain(buffer_)) return f;
  buffer_.clear();
  // Space that a file system only promises (delayed allocation, network volumes) is refused at
  // the sync or the close at the latest; either failure keeps the earlier file.
  if (durability_ == Durability::flushed && ::fsync(fd_) != 0) {
    return fail(Failure::Step::write, errno);
  }
  if (temporary_.empty()) {
    if (auto f = linkIntoPlace()) return f;
  }
  const int fd = fd_;
  fd_ = -1;
  if (::close(fd) != 0) return fail(Failure::Step::write, errno);
  if (!temporary_.empty()) {
    if (::renameat(folder_, temporary_.c_str(), folder_, name_.c_str()) != 0) {
      return fail(Failure::Step::replace, errno);
    }
    temporary_.clear();
  }
  // The new name is durable once the folder is synced; a folder that cannot be synced (some
  // network file systems) still holds the complete file.
  if (durability_ == Durability::flushed) ::fsync(folder_);
  return std::nullopt;
}

}  // namespace tempyra
