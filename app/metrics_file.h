#pragma once
// The node_exporter textfile: "tempyra.prom" in the folder the user chose, replaced whole after
// every reading so the collector never reads half a file. No Qt.
#include <filesystem>
#include <optional>
#include <string_view>

#include "app/problem.h"

namespace tempyra {

inline constexpr const char* kMetricsFileName = "tempyra.prom";

// Writes `text` as <folder>/tempyra.prom, mode 0644 whatever the umask (the collector usually
// runs as another user), through a temporary file and a rename, so a reader never sees part of
// a file; nothing is flushed to the disk. A failure leaves the earlier file, or none, and no
// temporary file; its problem is the answer, nothing when the file was written.
// REQUIRES: called on the sampling queue.
std::optional<Problem> writeMetricsFile(const std::filesystem::path& folder,
                                        std::string_view text);

// Removes <folder>/tempyra.prom; a file that is not there is no failure.
// REQUIRES: called on the sampling queue.
std::optional<Problem> removeMetricsFile(const std::filesystem::path& folder);

}  // namespace tempyra
