#pragma once
// What went wrong, as a value: the monitor and its helpers publish these, the interface words
// them. No Qt, so the interface's plain logic may include it.
#include <filesystem>
#include <string>

namespace tempyra {

enum class ProblemKind {
  historyUnavailable,    // the store could not be opened; detail: its error
  historyMissing,        // history was asked for without a store and nothing more is known
  demoSeedFailed,        // detail: the store's error
  saveFailed,            // a reading was not saved; detail: the store's error
  exportSkipped,         // count: the unreadable records the export left out
  noNotificationServer,  // nobody answered the request for notifications
  deliveryFailed,        // detail: the notification service's error
  loginItemFailed,       // detail: the login item's error
  metricsFolderMissing,  // file: the metrics folder, which does not exist
  metricsNotPermitted,   // file: the metrics folder, where writing is not allowed
  metricsDiskFull,       // file: the metrics folder, whose disk is full
  metricsWriteFailed,    // file: the metrics file; detail: the system's reason
  metricsRemoveFailed,   // file: the metrics file; detail: the system's reason
  settingsNotAFile,      // file: the settings file; detail: what stands there ("a named pipe")
  settingsUnchecked,     // file: the settings file; detail: why it could not be looked at
  reported,              // detail: a store or service text that speaks for itself, shown as is
};

struct Problem {
  ProblemKind kind = ProblemKind::reported;
  std::string detail;
  long long count = 0;
  std::filesystem::path file{};
  friend bool operator==(const Problem&, const Problem&) = default;
};

}  // namespace tempyra
