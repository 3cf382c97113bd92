#include "app/metrics_file.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "core/atomic_file.h"

namespace tempyra {

namespace fs = std::filesystem;

namespace {

Status describe(const fs::path& folder, int error) {
  const std::string where = folder.string();
  switch (error) {
    case ENOENT:
    case ENOTDIR:
      return Error{"Metrics not written: the folder " + where + " does not exist."};
    case EACCES:
    case EPERM:
      return Error{"Metrics not written: no permission to write in " + where + "."};
    case ENOSPC:
    case EDQUOT:
      return Error{"Metrics not written: the disk that holds " + where + " is full."};
    default:
      return Error{"Metrics not written to " + (folder / kMetricsFileName).string() + ": " +
                   std::strerror(error) + "."};
  }
}

}  // namespace

Status writeMetricsFile(const fs::path& folder, std::string_view text) {
  // Replaced whole: a reader sees the earlier file or the new one. Nothing is flushed to the
  // disk: the next reading rewrites the file anyway, and after a crash the collector finds the
  // earlier content or, at worst, a file it reports as a scrape error until then.
  AtomicFile file(folder / kMetricsFileName, 0644, AtomicFile::Durability::none);
  std::optional<AtomicFile::Failure> failed = file.write(text);
  if (!failed) failed = file.commit();
  if (failed) return describe(folder, failed->error);
  return {};
}

Status removeMetricsFile(const fs::path& folder) {
  const fs::path file = folder / kMetricsFileName;
  if (::unlink(file.c_str()) == 0 || errno == ENOENT || errno == ENOTDIR) return {};
  return Error{"Could not remove " + file.string() + ": " + std::strerror(errno) + "."};
}

}  // namespace tempyra
