#pragma once
// The local history: one SQLite database with the recorded readings, an event log and the
// latest device profile. Opened, recorded into and queried directly through the SQLite C API.
#include <cstdint>
#include <filesystem>
#include <functional>
#include <initializer_list>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/device_profile.h"
#include "core/episode.h"
#include "core/event.h"
#include "core/expected.h"
#include "core/reading.h"

struct sqlite3;
struct sqlite3_stmt;

namespace tempyra {

// What an export wrote: the readings, and the stored texts it left out because they were not
// JSON (a damaged or foreign row would have made the whole document unreadable).
struct ExportSummary {
  std::int64_t samples = 0;
  std::int64_t skipped = 0;
};

// Every operation answers its result or an Error whose message is one line for the user: one of
// the store's fixed messages, SQLite's own message, or the file system's. No operation returns a
// partial result. A store never deletes or rewrites stored data to recover from a failure.
//
// Thread safety: every operation may be called from any thread; the store serialises its work
// with one recursive mutex (record, clear and exportTo hold it for their whole run).
class HistoryStore {
 public:
  // readWrite opens or creates the database at `file`, creating missing directories private to
  // the user (0700) and a new file readable by the user alone (0600). readOnly only reads a
  // history that exists (for queries and exports): it creates no folder and no file, adopts
  // nothing, and every write through it fails; the log and index files that SQLite's readers
  // create beside a history that had none are removed again when it closes, unless another
  // connection holds them by then. A newer, damaged, read-only, foreign or non-database file is
  // left exactly as found, together with its -wal, -shm and -journal files, and reported.
  // Opening a current history writes nothing.
  enum class Access { readWrite, readOnly };
  static Expected<std::unique_ptr<HistoryStore>> open(const std::filesystem::path& file,
                                                      Access access = Access::readWrite);
  // Closes the connection once, after any running operation has finished.
  ~HistoryStore();
  HistoryStore(const HistoryStore&) = delete;
  HistoryStore& operator=(const HistoryStore&) = delete;

  // Stores the reading, replaces the device row and writes the automatic "Thermal" and "Power"
  // events, all in one transaction: everything or nothing.
  Status record(const Reading& reading, const DeviceProfile& profile);
  // REQUIRES a finite `at` and a kind this program writes (anything else is refused, nothing
  // written).
  Status event(double at, EventKind kind, const std::string& detail);
  // Deletes samples and events older than `days` (clamped to 1...365) and beyond the newest
  // 200,000 samples / 20,000 events. A non-finite `now` is refused and deletes nothing.
  Status prune(long long days, double now);
  // Deletes all samples and events (the device row stays), then checkpoints and compacts.
  Status clear();

  // Events at or after `since`, newest first (the later stored first among equal times), at
  // most `limit` (negative: no limit). A stored row whose time is not a finite number is left
  // out.
  Expected<std::vector<Event>> events(double since, long long limit);
  // Stored readings in [since, until], at most one per time bucket and segment, oldest first;
  // unreadable rows are skipped. `points` below 1 counts as 1.
  Expected<std::vector<Reading>> samples(double since, double until, long long points);
  // Seconds observed in each state in [since, until]; states without samples are absent.
  Expected<std::map<ThermalState, double>> durations(double since, double until);
  // Heat episodes among the readings at or after `since` (EpisodeBuilder states the rules),
  // newest first, at most `limit` (negative: no limit). One pass over the range; a stored record
  // is decoded only for readings inside or closing an episode, and one that cannot be read
  // still counts toward times and states but adds no figures.
  Expected<std::vector<Episode>> episodes(double since, long long limit);
  // Something the user should hear about once although the store opened, e.g. a history file
  // that other users can read; nothing otherwise.
  const std::optional<std::string>& notice() const { return notice_; }

  // Streams the whole history as one JSON document to `file`, which is replaced only by the
  // complete document (see ExportFile: never the history's own files, only a regular file).
  // Stored texts that are not JSON are left out and counted. Holds the lock throughout, so the
  // document shows one moment of the history.
  Expected<ExportSummary> exportTo(const std::filesystem::path& file);

 private:
  class Transaction;
  using Arguments = std::initializer_list<std::string_view>;
  // One result row; its values are valid only during the call.
  using RowVisitor = std::function<void(sqlite3_stmt* row)>;

  // Takes over an open, checked and adopted connection to the history opened as `opened`.
  // `tidyOnClose`: the connection may have created the history's log and index files.
  HistoryStore(sqlite3* handle, std::optional<std::string> notice, std::filesystem::path opened,
               bool tidyOnClose);

  // Prepares `sql`, binds each argument, in order, as transient UTF-8 text, and steps once; a
  // row or done is success.
  Status execute(std::string_view sql, Arguments arguments = {});
  // Each statement in turn, up to the first failure.
  Status executeAll(std::initializer_list<std::string_view> statements);
  // Steps to the end, handing each row to `visit` while the lock is held. REQUIRES: `visit`
  // does not run the same statement.
  Status forEachRow(std::string_view sql, Arguments arguments, const RowVisitor& visit);
  // Deletes from `table` all but the newest `keep` rows by id.
  Status trim(std::string_view table, long long keep, std::string_view literal);
  std::filesystem::path databaseFile() const;

  sqlite3* handle_ = nullptr;
  std::optional<std::string> notice_;
  std::filesystem::path opened_;  // absolute, links not resolved
  bool tidyOnClose_ = false;
  // The statements forEachRow ran, by their text, ready to run again; finalized on closing.
  std::map<std::string, sqlite3_stmt*, std::less<>> reads_;
  std::recursive_mutex lock_;
};

}  // namespace tempyra
