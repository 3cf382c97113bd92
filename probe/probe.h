#pragma once
#include <functional>
#include <ostream>

#include "probe/probe_options.h"

namespace tempyra {

// Prints the device profile, then one reading per line, each as the engine's compact JSON
// (the stored form). Returns the process exit status: 0, or 1 when `out` fails or the history
// cannot be opened, written or exported (the store's own message goes to `err`).
// `wait` waits the given seconds between samples and answers false when the run is to stop
// instead (a signal): the readings taken so far stay recorded, the export still runs, and the
// status is as if the run had been asked for that many samples. Injected so tests do not wait.
//
// With `episodes`, samples nothing and only reads the history (a missing file is reported as
// "no history at FILE" and not created): prints the history's heat episodes since `since`, newest
// first, one JSON object per line in the form of encodeJson(const Episode&) (core/model_json.h).
int runProbe(const ProbeOptions& options, std::ostream& out, std::ostream& err,
             const std::function<bool(double)>& wait);

}  // namespace tempyra
