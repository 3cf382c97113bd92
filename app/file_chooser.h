#pragma once
// Asks the user where to save a file, or which folder to use. The interface layer supplies the
// dialogs.
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

namespace tempyra {

// REQUIRES: called on the main thread; `done` runs on the main thread, exactly once unless the
// chooser is destroyed first, with the chosen location or nothing when the user cancelled.
class FileChooser {
 public:
  virtual ~FileChooser() = default;
  // contentType: a MIME type, the only one offered ("application/json").
  virtual void chooseSaveFile(const std::string& proposedName, const std::string& contentType,
                              std::function<void(std::optional<std::filesystem::path>)> done) = 0;
  // An existing folder; the dialog opens at `current` when it is one.
  virtual void chooseFolder(const std::filesystem::path& current,
                            std::function<void(std::optional<std::filesystem::path>)> done) = 0;
};

}  // namespace tempyra
