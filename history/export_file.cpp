#include "history/export_file.h"

#include <sys/stat.h>

#include <optional>
#include <system_error>

#include "core/atomic_file.h"
#include "history/history_store.h"

namespace tempyra {

namespace {

namespace fs = std::filesystem;

constexpr const char* kNotCreated = "Could not create export.";
constexpr const char* kOntoHistory =
    "The export cannot replace the history's own files. Choose another file.";
constexpr const char* kNotRegular =
    "The export can only replace a regular file. Choose another file.";

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

// Names are compared as well as inodes: a companion that does not exist right now (the rollback
// journal, say) would still be taken for one once the export stood under its name.
bool sameFile(const fs::path& target, const std::optional<struct stat>& targetId,
              const fs::path& other) {
  const auto otherId = identity(other);
  if (targetId && otherId) {
    return targetId->st_dev == otherId->st_dev && targetId->st_ino == otherId->st_ino;
  }
  std::error_code ec1, ec2;
  const fs::path a = fs::weakly_canonical(fs::absolute(target), ec1);
  const fs::path b = fs::weakly_canonical(fs::absolute(other), ec2);
  return !ec1 && !ec2 && a == b;
}

// The exceptions the store's callers know: a file system refusal with its error number.
[[noreturn]] void raise(const AtomicFile& file, const AtomicFile::Failure& failure) {
  const char* what = failure.step == AtomicFile::Failure::Step::replace
                         ? "Could not replace the export"
                         : "Could not write the export";
  throw fs::filesystem_error(what, file.target(),
                             std::error_code(failure.error, std::generic_category()));
}

}  // namespace

ExportFile::ExportFile(const fs::path& target, const std::vector<fs::path>& protectedFiles) {
  const fs::path resolved = followLinks(target);
  struct stat st {};
  const bool exists = ::lstat(resolved.c_str(), &st) == 0;
  if (exists && !S_ISREG(st.st_mode)) throw HistoryError(kNotRegular);
  const auto targetId = exists ? std::optional(st) : std::nullopt;
  for (const fs::path& file : protectedFiles) {
    if (sameFile(resolved, targetId, file)) throw HistoryError(kOntoHistory);
  }
  // A replaced file keeps its permissions.
  file_ = std::make_unique<AtomicFile>(resolved, exists ? st.st_mode & 0777 : 0600);
  if (file_->failure()) throw HistoryError(kNotCreated);
}

ExportFile::~ExportFile() = default;

void ExportFile::write(std::string_view bytes) {
  if (const auto failure = file_->write(bytes)) raise(*file_, *failure);
}

void ExportFile::commit() {
  if (const auto failure = file_->commit()) raise(*file_, *failure);
}

}  // namespace tempyra
