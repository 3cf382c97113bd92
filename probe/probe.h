#pragma once
#include <functional>
#include <ostream>

#include "probe/probe_options.h"

namespace tempyra {

// Prints the device profile, then one reading per line, each as the engine's compact JSON
// (the stored form). Returns the process exit status: 0, or 1 when `out` fails or the history
// cannot be opened, written or exported (the store's own message goes to `err`).
// `sleepSeconds` waits between samples (injected so tests do not wait).
//
// With `episodes`, samples nothing: prints the history's heat episodes since `since`, newest
// first, one JSON object per line in the form of encodeJson(const Episode&) (core/model_json.h).
int runProbe(const ProbeOptions& options, std::ostream& out, std::ostream& err,
             const std::function<void(double)>& sleepSeconds);

}  // namespace tempyra
