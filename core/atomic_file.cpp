#include "core/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace tempyra {

namespace {

namespace fs = std::filesystem;

constexpr std::size_t kBufferSize = 1 << 20;

fs::path folderOf(const fs::path& target) {
  return target.has_parent_path() ? target.parent_path() : fs::path(".");
}

}  // namespace

AtomicFile::AtomicFile(fs::path target, mode_t mode, Durability durability)
    : target_(std::move(target)), durability_(durability) {
  // Appended piece by piece: GCC 12 at -O3 takes `"." + name` for an overlapping copy.
  std::string hidden = ".";
  hidden += target_.filename().string();
  hidden += ".XXXXXX";
  std::string pattern = (folderOf(target_) / hidden).string();
  fd_ = ::mkostemp(pattern.data(), O_CLOEXEC);  // created 0600
  if (fd_ < 0) {
    failure_ = Failure{Failure::Step::create, errno};
    return;
  }
  temporary_ = pattern;
  if (::fchmod(fd_, mode) != 0) fail(Failure::Step::create, errno);
}

AtomicFile::~AtomicFile() {
  if (fd_ >= 0) ::close(fd_);
  if (!temporary_.empty()) ::unlink(temporary_.c_str());
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
  }
  return std::nullopt;
}

std::optional<AtomicFile::Failure> AtomicFile::write(std::string_view bytes) {
  if (failure_) return failure_;
  if (buffer_.size() + bytes.size() > kBufferSize) {
    if (auto f = drain(buffer_)) return f;
    buffer_.clear();
    if (bytes.size() >= kBufferSize) return drain(bytes);
  }
  buffer_.append(bytes);
  return std::nullopt;
}

std::optional<AtomicFile::Failure> AtomicFile::commit() {
  if (failure_) return failure_;
  if (auto f = drain(buffer_)) return f;
  buffer_.clear();
  // Space that a file system only promises (delayed allocation, network volumes) is refused at
  // the sync or the close at the latest; either failure keeps the earlier file.
  if (::fsync(fd_) != 0) return fail(Failure::Step::write, errno);
  const int fd = fd_;
  fd_ = -1;
  if (::close(fd) != 0) return fail(Failure::Step::write, errno);
  if (::rename(temporary_.c_str(), target_.c_str()) != 0) {
    return fail(Failure::Step::replace, errno);
  }
  temporary_.clear();
  if (durability_ == Durability::content) return std::nullopt;
  // The new name is durable once the folder is synced; a folder that cannot be synced (some
  // network file systems) still holds the complete file.
  if (const int dir = ::open(folderOf(target_).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
      dir >= 0) {
    ::fsync(dir);
    ::close(dir);
  }
  return std::nullopt;
}

}  // namespace tempyra
