#pragma once
// A file replaced whole: readers of the target see its earlier content or the complete new one,
// never a part, even across a crash or a full disk.
#include <sys/types.h>

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace tempyra {

// The bytes go to a temporary file in the target's folder (".<name>.XXXXXX"), which is flushed,
// synced and closed, and only then renamed over the target; the folder is synced after the
// rename. Until commit() succeeds the target is untouched, and the temporary file is removed
// again whenever the AtomicFile ends without a successful commit.
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

  // How much survives a crash once commit() has succeeded: the new name too, or only the
  // content (after a crash the target is then the earlier or the new file, both complete; for a
  // file rewritten every few seconds the folder's sync is a cost with nothing to gain).
  enum class Durability { nameAndContent, content };

  // Creates the temporary file with permissions `mode` (whatever the umask). A folder that
  // refuses it makes failure() answer, and every later call fail the same way.
  AtomicFile(std::filesystem::path target, mode_t mode,
             Durability durability = Durability::nameAndContent);
  ~AtomicFile();
  AtomicFile(const AtomicFile&) = delete;
  AtomicFile& operator=(const AtomicFile&) = delete;

  std::optional<Failure> failure() const { return failure_; }
  // Buffered; a failure is final.
  std::optional<Failure> write(std::string_view bytes);
  // Makes the bytes the target's content.
  std::optional<Failure> commit();

  const std::filesystem::path& target() const { return target_; }

 private:
  std::optional<Failure> drain(std::string_view bytes);
  std::optional<Failure> fail(Failure::Step step, int error);

  std::filesystem::path target_;
  Durability durability_;
  std::filesystem::path temporary_;
  int fd_ = -1;
  std::string buffer_;
  std::optional<Failure> failure_;
};

}  // namespace tempyra
