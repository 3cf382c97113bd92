#pragma once
// Where an export goes: the file the user chose, replaced only by a complete document.
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/expected.h"

namespace tempyra {

class AtomicFile;

// The document is written through an AtomicFile: until commit() succeeds the target keeps its
// earlier content, and on any failure the temporary file is removed again.
//
// The target is followed through symbolic links (the file a link names is replaced, as a save
// dialog would). Refused before anything is created: a target that exists but is not a regular
// file (a FIFO would block, a device would swallow the document), and a target that is one of the
// history's files: any of `historyNames` (the database by every name it is known by) or its
// -wal, -shm or -journal companion, compared by device and inode (a hard link included) and by
// name, and any name that is a companion of a hard link of the database (SQLite would take
// "link-journal" for the journal of "link"). A new file is private to the user (0600); a
// replaced one keeps its permissions.
class ExportFile {
 public:
  static Expected<std::unique_ptr<ExportFile>> open(
      const std::filesystem::path& target,
      const std::vector<std::filesystem::path>& historyNames);
  ~ExportFile();
  ExportFile(const ExportFile&) = delete;
  ExportFile& operator=(const ExportFile&) = delete;

  // Buffered. The first failure of the file system is kept for commit(); later bytes are
  // dropped.
  void write(std::string_view bytes);
  // False once a write has failed.
  bool good() const { return !failure_; }
  // Makes the document the target's content, or answers the first failure.
  Status commit();

 private:
  explicit ExportFile(std::unique_ptr<AtomicFile> file);
  // The file system's refusal as a line for the user.
  Error fileError(const char* what, int error) const;

  std::unique_ptr<AtomicFile> file_;
  std::optional<Error> failure_;
};

}  // namespace tempyra
