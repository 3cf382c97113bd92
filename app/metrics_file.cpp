#include "app/metrics_file.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "core/atomic_file.h"

namespace tempyra {

namespace fs = std::filesystem;

std::optional<std::string> writeMetricsFile(const fs::path& folder, std::string_view text) {
  AtomicFile file(folder / kMetricsFileName, 0644);
  auto failure = file.write(text);
  if (!failure) failure = file.commit();
  if (!failure) return std::nullopt;
  const std::string where = folder.string();
  switch (failure->error) {
    case ENOENT:
    case ENOTDIR:
      return "Metrics not written: the folder " + where + " does not exist.";
    case EACCES:
    case EPERM:
      return "Metrics not written: no permission to write in " + where + ".";
    case ENOSPC:
    case EDQUOT:
      return "Metrics not written: the disk that holds " + where + " is full.";
    default:
      return "Metrics not written to " + (folder / kMetricsFileName).string() + ": " +
             std::strerror(failure->error) + ".";
  }
}

std::optional<std::string> removeMetricsFile(const fs::path& folder) {
  const fs::path file = folder / kMetricsFileName;
  if (::unlink(file.c_str()) == 0 || errno == ENOENT || errno == ENOTDIR) return std::nullopt;
  return "Could not remove " + file.string() + ": " + std::strerror(errno) + ".";
}

}  // namespace tempyra
