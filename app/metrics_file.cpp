#include "app/metrics_file.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "core/atomic_file.h"

namespace tempyra {

namespace fs = std::filesystem;

namespace {

Problem describe(const fs::path& folder, int error) {
  switch (error) {
    case ENOENT:
    case ENOTDIR:
      return {ProblemKind::metricsFolderMissing, {}, 0, folder};
    case EACCES:
    case EPERM:
      return {ProblemKind::metricsNotPermitted, {}, 0, folder};
    case ENOSPC:
    case EDQUOT:
      return {ProblemKind::metricsDiskFull, {}, 0, folder};
    default:
      return {ProblemKind::metricsWriteFailed, std::strerror(error), 0, folder / kMetricsFileName};
  }
}

}  // namespace

std::optional<Problem> writeMetricsFile(const fs::path& folder, std::string_view text) {
  // Replaced whole: a reader sees the earlier file or the new one. Nothing is flushed to the
  // disk: the next reading rewrites the file anyway, and after a crash the collector finds the
  // earlier content or, at worst, a file it reports as a scrape error until then.
  AtomicFile file(folder / kMetricsFileName, 0644, AtomicFile::Durability::none);
  std::optional<AtomicFile::Failure> failed = file.write(text);
  if (!failed) failed = file.commit();
  if (failed) return describe(folder, failed->error);
  return std::nullopt;
}

std::optional<Problem> removeMetricsFile(const fs::path& folder) {
  const fs::path file = folder / kMetricsFileName;
  if (::unlink(file.c_str()) == 0 || errno == ENOENT || errno == ENOTDIR) return std::nullopt;
  return Problem{ProblemKind::metricsRemoveFailed, std::strerror(errno), 0, file};
}

}  // namespace tempyra
