#include "history/export_file.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <optional>
#include <string>
#include <system_error>
#include <utility>

#include "core/atomic_file.h"

namespace tempyra {

namespace {

namespace fs = std::filesystem;

constexpr const char* kNotCreated = "Could not create export";
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
bool sameFile(const fs::path& target, const struct stat* targetId, const fs::path& other) {
  const auto otherId = identity(other);
  if (targetId && otherId) {
    return targetId->st_dev == otherId->st_dev && targetId->st_ino == otherId->st_ino;
  }
  const auto a = resolved(target), b = resolved(other);
  return a && b && *a == *b;
}

// Why the temporary file could not be made, as a sentence after "Could not create export".
Error notCreated(const fs::path& target, int error) {
  const std::string folder =
      target.has_parent_path() ? target.parent_path().string() : std::string(".");
  std::string why;
  switch (error) {
    case ENOENT:
      why = "the folder " + folder + " does not exist.";
      break;
    case ENOTDIR:
      why = folder + " is not a folder.";
      break;
    case EACCES:
    case EPERM:
      why = "no permission to write in " + folder + ".";
      break;
    case ENAMETOOLONG:
      why = "the name " + target.filename().string() + " is too long.";
      break;
    case EROFS:
      why = "the folder " + folder + " is on a read-only file system.";
      break;
    case ENOSPC:
    case EDQUOT:
      why = "the disk that holds " + folder + " is full.";
      break;
    default:
      why = std::string(std::strerror(error)) + ".";
  }
  return Error{std::string(kNotCreated) + ": " + why};
}

}  // namespace

Expected<std::unique_ptr<ExportFile>> ExportFile::open(const fs::path& chosen,
                                                       const std::vector<fs::path>& historyNames) {
  const fs::path target = followLinks(chosen);
  struct stat st {};
  const bool exists = ::lstat(target.c_str(), &st) == 0;
  if (exists && !S_ISREG(st.st_mode)) return Error{kNotRegular};
  const struct stat* targetId = exists ? &st : nullptr;
  std::vector<struct stat> historyIds;
  for (const fs::path& name : historyNames) {
    for (const char* suffix : {"", "-wal", "-shm", "-journal"}) {
      if (sameFile(target, targetId, fs::path(name.native() + suffix))) return Error{kOntoHistory};
    }
    if (const auto id = identity(name)) historyIds.push_back(*id);
  }
  // Whatever name the database is reached by, SQLite takes that name's companions for its own.
  for (const fs::path* name : {&chosen, &target}) {
    for (const std::string_view suffix : {"-wal", "-shm", "-journal"}) {
      const std::string_view text = name->native();
      if (!text.ends_with(suffix)) continue;
      const auto base = identity(fs::path(text.substr(0, text.size() - suffix.size())));
      for (const struct stat& id : historyIds) {
        if (base && base->st_dev == id.st_dev && base->st_ino == id.st_ino) {
          return Error{kOntoHistory};
        }
      }
    }
  }
  // A replaced file keeps its permissions.
  auto file = std::make_unique<AtomicFile>(target, exists ? st.st_mode & 0777 : 0600);
  if (const auto failure = file->failure()) return notCreated(target, failure->error);
  return std::unique_ptr<ExportFile>(new ExportFile(std::move(file)));
}

ExportFile::ExportFile(std::unique_ptr<AtomicFile> file) : file_(std::move(file)) {}

ExportFile::~ExportFile() = default;

Error ExportFile::fileError(const char* what, int error) const {
  return Error{fs::filesystem_error(what, file_->target(),
                                    std::error_code(error, std::generic_category()))
                   .what()};
}

void ExportFile::write(std::string_view bytes) {
  if (failure_) return;
  if (const auto failure = file_->write(bytes)) {
    failure_ = fileError("Could not write the export", failure->error);
  }
}

Status ExportFile::commit() {
  if (failure_) return *failure_;
  if (const auto failure = file_->commit()) {
    return fileError(failure->step == AtomicFile::Failure::Step::replace
                         ? "Could not replace the export"
                         : "Could not write the export",
                     failure->error);
  }
  return {};
}

}  // namespace tempyra
