#pragma once
// Where an export goes: the file the user chose, replaced only by a complete document.
#include <filesystem>
#include <memory>
#include <string_view>
#include <vector>

namespace tempyra {

class AtomicFile;

// The document is written through an AtomicFile: until commit() succeeds the target keeps its
// earlier content, and on any failure the temporary file is removed again.
//
// The target is followed through symbolic links (the file a link names is replaced, as a save
// dialog would). Refused with a HistoryError before anything is created: a target that exists
// but is not a regular file (a FIFO would block, a device would swallow the document), and a
// target that is one of `protectedFiles` by device and inode (a hard link included) or by name.
// A new file is private to the user (0600); a replaced one keeps its permissions.
class ExportFile {
 public:
  ExportFile(const std::filesystem::path& target,
             const std::vector<std::filesystem::path>& protectedFiles);
  ~ExportFile();
  ExportFile(const ExportFile&) = delete;
  ExportFile& operator=(const ExportFile&) = delete;

  // Buffered; throws std::filesystem::filesystem_error when the file system refuses the bytes.
  void write(std::string_view bytes);
  // Makes the document the target's content; throws std::filesystem::filesystem_error.
  void commit();

 private:
  std::unique_ptr<AtomicFile> file_;
};

}  // namespace tempyra
