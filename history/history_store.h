#pragma once
// The local history: one SQLite database with the recorded readings, an event log and the
// latest device profile. Opened, recorded into and queried directly through the SQLite C API.
#include <filesystem>
#include <map>
#include <mutex>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/device_profile.h"
#include "core/reading.h"

struct sqlite3;
struct sqlite3_stmt;

namespace tempyra {

// The store's one error case ("database"): what() is the user-facing one-line text, either one
// of the store's fixed messages or SQLite's own message.
class HistoryError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
  const char* errorDescription() const noexcept { return what(); }
};

// Every failure is thrown as an exception derived from std::exception whose what() is a
// one-line description for the user: HistoryError, or a std::filesystem::filesystem_error /
// std::system_error for the file system's own errors. No operation returns a partial result.
// A store never deletes or rewrites stored data to recover from a failure.
//
// Thread safety: every operation may be called from any thread; the store serialises its work
// with one recursive mutex (record, clear and exportTo hold it for their whole run).
class HistoryStore {
 public:
  using Row = std::map<std::string, std::string>;

  // Opens or creates the database at `file` (creating missing directories). A newer, damaged
  // or non-database file is left exactly as found and reported.
  explicit HistoryStore(const std::filesystem::path& file);
  ~HistoryStore();
  HistoryStore(const HistoryStore&) = delete;
  HistoryStore& operator=(const HistoryStore&) = delete;

  // Stores the reading, replaces the device row and writes the automatic "Thermal" and "Power"
  // events, all in one transaction: everything or nothing.
  void record(const Reading& reading, const DeviceProfile& profile);
  void event(double at, const std::string& kind, const std::string& detail);
  // Deletes samples and events older than `days` (clamped to 1...365) and beyond the newest
  // 200,000 samples / 20,000 events.
  void prune(long long days, double now);
  // Deletes all samples and events (the device row stays), then checkpoints and compacts.
  void clear();

  // Events at or after `since`, newest first, at most `limit` (negative: no limit); each row
  // maps "id", "time", "kind", "detail" to SQLite's text renderings.
  std::vector<Row> events(double since, long long limit);
  // Stored readings in [since, until], at most one per time bucket and segment, oldest first;
  // unreadable rows are skipped.
  std::vector<Reading> samples(double since, double until, long long points);
  // Seconds observed in each state in [since, until]; states without samples are absent.
  std::map<ThermalState, double> durations(double since, double until);
  // Streams the whole history as one JSON document to `file` (replacing it).
  void exportTo(const std::filesystem::path& file);

 private:
  // (internal statement / execute / query operations: see history_store.cpp)
  sqlite3* handle_ = nullptr;
  std::recursive_mutex lock_;
};

}  // namespace tempyra
