#pragma once
// A file replaced whole: readers of the target see its earlier content or the complete new one,
// never a part, even across a crash or a full disk.
#include <sys/types.h>

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace tempyra {

// The bytes go to a temporary file in the target's folder, which is flushed, synced and only
// then given the target's name; the folder is synced after that. Until commit() succeeds the
// target is untouched.
//
// The temporary file has no name where the file system allows it (O_TMPFILE), so a process
// killed while writing leaves nothing behind; it is linked into the folder only when complete.
// Elsewhere it is named ".tempyra-XXXXXX" (short enough beside any file name) and removed again
// whenever the AtomicFile ends without a successful commit; one left by a killed process is
// removed by the next AtomicFile in that folder once it is a day old (only regular files of this
// user that match the pattern exactly).
//
// The target path is used as given: a symbolic link there is replaced, not followed (callers
// that want to follow links resolve them first).
class AtomicFile {
 public:
  // What the file system refused, with its error number (errno).
  struct Failure {
    enum class Step { create, write, replace } step;
    int error;
  };

  // Creates the temporary file with permissions `mode` (whatever the umask). A folder that
  // refuses it, or a target name longer than the folder allows, makes failure() answer, and
  // every later call fail the same way.
  //
  // `flushed`: once commit() succeeds the content and the name survive a crash. `none`: nothing
  // is flushed; readers still never see a part, but after a crash the target may be empty or
  // cut short, which suits a file that the next write replaces anyway.
  enum class Durability { flushed, none };
  AtomicFile(std::filesystem::path target, mode_t mode,
             Durability durability = Durability::flushed);
  ~AtomicFile();
  AtomicFile(const AtomicFile&) = delete;
  AtomicFile& operator=(const AtomicFile&) = delete;

  std::optional<Failure> failure() const { return failure_; }
  // Buffered; a failure is final.
  std::optional<Failure> write(std::string_view bytes);
  // Makes the bytes the target's content.
  std::optional<Failure> commit();

  const std::filesystem::path& target() const { return target_; }

  // The named temporary files' prefix, followed by six letters or digits.
  static constexpr std::string_view kTemporaryPrefix = ".tempyra-";

 private:
  bool openUnnamed(mode_t mode);
  void openNamed(mode_t mode);
  // Removes the named temporary files of this user in the folder that are older than a day.
  void removeStaleTemporaries() const;
  // Gives the unnamed file the target's name.
  std::optional<Failure> linkIntoPlace();
  std::optional<Failure> drain(std::string_view bytes);
  void writeBehind();
  std::optional<Failure> fail(Failure::Step step, int error);

  std::filesystem::path target_;
  std::string name_;  // the target's name within its folder
  int folder_ = -1;
  std::string temporary_;  // the named temporary file's name; empty while it has none
  int fd_ = -1;
  std::string buffer_;
  off_t written_ = 0;  // bytes in the file
  off_t started_ = 0;  // bytes whose writeback was started
  off_t waited_ = 0;   // bytes written back
  std::optional<Failure> failure_;
  Durability durability_;
};

}  // namespace tempyra
