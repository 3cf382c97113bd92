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
#include <stdexcept>
#include <string>
#include <string_view>
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

// What an export wrote: the readings, and the stored texts it left out because they were not
// JSON (a damaged or foreign row would have made the whole document unreadable).
struct ExportSummary {
  std::int64_t samples = 0;
  std::int64_t skipped = 0;
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

  // Opens or creates the database at `file`, creating missing directories private to the user
  // (0700) and a new file readable by the user alone (0600). A newer, damaged, read-only,
  // foreign or non-database file is left exactly as found, together with its -wal, -shm and
  // -journal files, and reported. Opening a current history writes nothing.
  explicit HistoryStore(const std::filesystem::path& file);
  // Closes the connection once, after any running operation has finished.
  ~HistoryStore();
  HistoryStore(const HistoryStore&) = delete;
  HistoryStore& operator=(const HistoryStore&) = delete;

  // Stores the reading, replaces the device row and writes the automatic "Thermal" and "Power"
  // events, all in one transaction: everything or nothing.
  void record(const Reading& reading, const DeviceProfile& profile);
  // REQUIRES a finite `at` (anything else is refused with a HistoryError, nothing written).
  void event(double at, const std::string& kind, const std::string& detail);
  // Deletes samples and events older than `days` (clamped to 1...365) and beyond the newest
  // 200,000 samples / 20,000 events. A non-finite `now` is refused and deletes nothing.
  void prune(long long days, double now);
  // Deletes all samples and events (the device row stays), then checkpoints and compacts.
  void clear();

  // Events at or after `since`, newest first, at most `limit` (negative: no limit); each row
  // maps "id", "time", "kind", "detail" to SQLite's text renderings.
  std::vector<Row> events(double since, long long limit);
  // Stored readings in [since, until], at most one per time bucket and segment, oldest first;
  // unreadable rows are skipped. `points` below 1 counts as 1.
  std::vector<Reading> samples(double since, double until, long long points);
  // Seconds observed in each state in [since, until]; states without samples are absent.
  std::map<ThermalState, double> durations(double since, double until);
  // Something the user should hear about once although the store opened, e.g. a history file
  // that other users can read; nothing otherwise.
  const std::optional<std::string>& notice() const { return notice_; }

  // Streams the whole history as one JSON document to `file`, which is replaced only by the
  // complete document (see ExportFile: never the history's own files, only a regular file).
  // Stored texts that are not JSON are left out and counted. Holds the lock throughout, so the
  // document shows one moment of the history.
  ExportSummary exportTo(const std::filesystem::path& file);

 private:
  struct Finalizer {
    void operator()(sqlite3_stmt* statement) const noexcept;
  };
  using Statement = std::unique_ptr<sqlite3_stmt, Finalizer>;
  using Arguments = std::initializer_list<std::string_view>;
  // One result row: column values as SQLite renders them as text, nullptr for NULL.
  using RowVisitor = std::function<void(sqlite3_stmt* row)>;

  // Prepares `sql` and binds each argument, in order, as transient UTF-8 text.
  // REQUIRES: lock_ held. Throws HistoryError with SQLite's message when nothing is prepared.
  Statement statement(std::string_view sql, Arguments arguments = {});
  // Steps once; a row or done is success.
  void execute(std::string_view sql, Arguments arguments = {});
  // Every row as a map from column name to text; NULL columns are missing.
  std::vector<Row> query(std::string_view sql, Arguments arguments = {});
  // Steps to the end, handing each row to `visit` while the lock is held; the row's values
  // are valid only during the call.
  void forEachRow(std::string_view sql, Arguments arguments, const RowVisitor& visit);
  std::filesystem::path databaseFile() const;
  // The first row's named column of a statement, or nothing.
  std::optional<std::string> firstValue(const char* sql, const char* column);
  // The checks of opening (version, integrity, shape), all of them reads.
  void check(const std::filesystem::path& file);
  // Writes what a new or older history lacks, and sets the connection up for recording.
  void adopt();
  // Deletes from `table` all but the newest `keep` rows by id.
  void trim(std::string_view table, long long keep, std::string_view literal);
  [[noreturn]] void fail() const;

  std::optional<std::string> notice_;
  sqlite3* handle_ = nullptr;
  std::recursive_mutex lock_;
};

}  // namespace tempyra
