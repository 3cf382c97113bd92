#include "app/metrics_file.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "core/atomic_file.h"

namespace tempyra {

namespace fs = std::filesystem;

Status writeMetricsFile(const fs::path& folder, std::string_view text) {
  // The next reading replaces the file anyway: its content must be whole, its name need not
  // survive a crash.
  AtomicFile file(folder / kMetricsFileName, 0644, AtomicFile::Durability::content);
  auto failure = file.write(text);
  if (!failure) failure = file.commit();
  if (!failure) return {};
  const std::string where = folder.string();
  switch (failure->error) {
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
                   std::strerror(failure->error) + "."};
  }
}

Status removeMetricsFile(const fs::path& folder) {
  const fs::path file = folder / kMetricsFileName;
  if (::unlink(file.c_str()) == 0 || errno == ENOENT || errno == ENOTDIR) return {};
  return Error{"Could not remove " + file.string() + ": " + std::strerror(errno) + "."};
}

}  // namespace tempyra
