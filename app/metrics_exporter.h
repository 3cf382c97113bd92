#pragma once
// Writes the node_exporter textfile after every accepted reading while the user has chosen a
// folder, and says why the last write (or removal) failed. The demonstration never publishes
// its invented readings where a collector would take them for the machine's.
//
// Threads: every member is called on the main thread; the file is written and removed on the
// sampling queue, so a removal always follows the writes queued before it.
#include <QObject>

#include <filesystem>
#include <memory>
#include <optional>

#include "app/file_chooser.h"
#include "app/problem.h"
#include "app/relay.h"
#include "app/serial_queue.h"
#include "app/user_defaults.h"
#include "core/reading.h"

namespace tempyra {

class MetricsExporter : public QObject {
  Q_OBJECT

 public:
  // Reads the folder from the user defaults (never in the demonstration).
  // REQUIRES: `queue` outlives the exporter; `relay` delivers to the main thread.
  MetricsExporter(SerialQueue& queue, std::shared_ptr<Relay> relay,
                  std::shared_ptr<UserDefaults> defaults, bool demo);

  // Where the file goes after every accepted reading; nothing while off.
  const std::optional<std::filesystem::path>& folder() const { return folder_; }
  // Why the last write (or the removal) failed; cleared by a success, so it describes the file
  // as it is now.
  const std::optional<Problem>& problem() const { return problem_; }

  // An accepted reading: kept, and written at once while a folder is set.
  void observe(const Reading& reading);
  // Asks `chooser` for the folder, then writes there from now on (the last reading at once).
  void chooseFolder(FileChooser* chooser);
  // Writes to `folder` from now on (the last reading at once); the file in an earlier folder is
  // removed.
  void setFolder(const std::filesystem::path& folder);
  // Stops writing and removes the file.
  void stop();

 signals:
  void changed();

 private:
  void write(const Reading& reading);
  void setProblem(std::optional<Problem> problem);

  SerialQueue& queue_;
  std::shared_ptr<Relay> relay_;
  std::shared_ptr<UserDefaults> defaults_;
  bool demo_;
  std::optional<std::filesystem::path> folder_;
  std::optional<Problem> problem_;
  std::optional<Reading> last_;
};

}  // namespace tempyra
