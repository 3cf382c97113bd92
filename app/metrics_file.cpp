#include "app/metrics_file.h"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

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

// Writes all of `text` to `fd`; answers the error number of a failure, or 0.
int writeAll(int fd, std::string_view text) {
  while (!text.empty()) {
    const ssize_t n = ::write(fd, text.data(), text.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return n < 0 ? errno : EIO;
    text.remove_prefix(static_cast<std::size_t>(n));
  }
  return 0;
}

}  // namespace

Status writeMetricsFile(const fs::path& folder, std::string_view text) {
  // A temporary file renamed over the target: a reader sees the earlier file or the new one,
  // whole. Nothing is flushed to the disk: the next reading rewrites the file anyway, and after
  // a crash the collector finds the earlier content or, at worst, a file it reports as a scrape
  // error until then.
  std::string temporary = (folder / ".tempyra.prom.XXXXXX").string();
  const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
  if (fd < 0) return describe(folder, errno);
  int error = ::fchmod(fd, 0644) == 0 ? writeAll(fd, text) : errno;
  if (::close(fd) != 0 && error == 0) error = errno;
  if (error == 0 && ::rename(temporary.c_str(), (folder / kMetricsFileName).c_str()) != 0) {
    error = errno;
  }
  if (error == 0) return {};
  ::unlink(temporary.c_str());
  return describe(folder, error);
}

Status removeMetricsFile(const fs::path& folder) {
  const fs::path file = folder / kMetricsFileName;
  if (::unlink(file.c_str()) == 0 || errno == ENOENT || errno == ENOTDIR) return {};
  return Error{"Could not remove " + file.string() + ": " + std::strerror(errno) + "."};
}

}  // namespace tempyra
