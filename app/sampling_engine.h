#pragma once
// The engine objects the monitor owns: the provider and the history store.
//
// Threads: created, used and released only on the sampling queue; the main thread holds the
// shared pointer and hands copies of it to the work it queues, never touching the members.
#include <memory>

#include "history/history_store.h"
#include "providers/sensor_provider.h"

namespace tempyra {

struct SamplingEngine {
  std::unique_ptr<SensorProvider> provider;
  std::unique_ptr<HistoryStore> store;  // nothing when the history could not be opened
};

}  // namespace tempyra
