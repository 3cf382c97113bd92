#include "history/history_store.h"

#include <fcntl.h>
#include <sqlite3.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <optional>
#include <system_error>

#include "core/json_writer.h"
#include "core/model_json.h"
#include "core/thermal_state.h"

namespace tempyra {

namespace {

namespace fs = std::filesystem;

constexpr const char* kOpenFailed =
    "History database could not be opened. Existing files were preserved.";
constexpr const char* kNewer = "This history was created by a newer app. It was preserved.";
constexpr const char* kDamaged = "History integrity check failed. Existing history was preserved.";
constexpr const char* kExportNotCreated = "Could not create export.";
constexpr const char* kEventTimeInvalid = "An event needs a valid time. Nothing was written.";
constexpr const char* kPruneTimeInvalid =
    "History retention needs a valid current time. Nothing was deleted.";

constexpr int kBusyTimeoutMs = 3000;

// Readings are about 2 KB of JSON, so a 4 KiB page holds one of them and wastes nearly half of
// itself; 16 KiB pages hold seven. The size can only be chosen while the file is still empty
// (before the first page, which write-ahead logging writes, exists); older files keep theirs.
constexpr const char* kNewDatabasePageSize = "PRAGMA page_size=16384";

constexpr const char* kSchema[] = {
    "CREATE TABLE IF NOT EXISTS samples(id INTEGER PRIMARY KEY,time REAL NOT NULL,"
    "state INTEGER NOT NULL,segment TEXT NOT NULL,json TEXT NOT NULL)",
    "CREATE INDEX IF NOT EXISTS sample_time ON samples(time)",
    "CREATE TABLE IF NOT EXISTS events(id INTEGER PRIMARY KEY,time REAL NOT NULL,"
    "kind TEXT NOT NULL,detail TEXT NOT NULL)",
    "CREATE INDEX IF NOT EXISTS event_time ON events(time)",
    "CREATE TABLE IF NOT EXISTS device(id INTEGER PRIMARY KEY CHECK(id=1),json TEXT NOT NULL)",
};

constexpr const char* kInsertEvent = "INSERT INTO events(time,kind,detail) VALUES(?,?,?)";

constexpr std::string_view kExportHeader =
    R"({"schema":1,"units":"Per metric; timestamps are seconds since 1970 UTC","device":)";

// Shortest decimal text that reads back to the same double; SQLite turns it into a REAL.
std::string decimal(double value) {
  std::string text;
  if (std::isfinite(value)) {
    JsonWriter::appendNumber(text, value);
  } else {
    char buf[16];
    text.assign(buf, std::to_chars(buf, buf + sizeof buf, value).ptr);
  }
  return text;
}

std::string decimal(long long value) { return std::to_string(value); }

// A decimal integer: an optional "+" or "-", then digits only, within 64 bits.
std::optional<long long> parseInteger(std::string_view text) {
  if (!text.empty() && text.front() == '+') {
    text.remove_prefix(1);
    if (!text.empty() && text.front() == '-') return std::nullopt;
  }
  long long value = 0;
  const char* end = text.data() + text.size();
  const auto [ptr, ec] = std::from_chars(text.data(), end, value);
  if (text.empty() || ec != std::errc() || ptr != end) return std::nullopt;
  return value;
}

std::optional<double> parseDouble(std::string_view text) {
  double value = 0;
  const char* end = text.data() + text.size();
  const auto [ptr, ec] = std::from_chars(text.data(), end, value);
  if (text.empty() || ec != std::errc() || ptr != end) return std::nullopt;
  return value;
}

// The column's value as SQLite renders it as text. REQUIRES: the column is not NULL.
std::string_view columnText(sqlite3_stmt* row, int column) {
  const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(row, column));
  if (text == nullptr) return {};
  return {text, static_cast<std::size_t>(sqlite3_column_bytes(row, column))};
}

// A statement's column names, and their order by name, so that a row map is built by appending
// at its end instead of searching it for every column.
struct Columns {
  std::vector<std::string> names;
  std::vector<int> byName;
  bool unique = true;
};

// One result row as a map from column name to text; NULL columns are missing and of two
// columns with the same name the later wins.
std::map<std::string, std::string> rowMap(sqlite3_stmt* row, Columns& columns) {
  const int count = sqlite3_column_count(row);
  if (columns.names.size() != static_cast<std::size_t>(count)) {
    columns.names.clear();
    columns.byName.clear();
    for (int i = 0; i < count; ++i) {
      const char* name = sqlite3_column_name(row, i);
      columns.names.emplace_back(name ? name : "");
      columns.byName.push_back(i);
    }
    std::stable_sort(columns.byName.begin(), columns.byName.end(), [&](int a, int b) {
      return columns.names[static_cast<std::size_t>(a)] <
             columns.names[static_cast<std::size_t>(b)];
    });
    columns.unique =
        std::adjacent_find(columns.byName.begin(), columns.byName.end(), [&](int a, int b) {
          return columns.names[static_cast<std::size_t>(a)] ==
                 columns.names[static_cast<std::size_t>(b)];
        }) == columns.byName.end();
  }
  std::map<std::string, std::string> values;
  if (columns.unique) {
    for (const int i : columns.byName) {
      if (sqlite3_column_type(row, i) == SQLITE_NULL) continue;
      const std::string_view text = columnText(row, i);
      values.emplace_hint(values.end(), std::piecewise_construct,
                          std::forward_as_tuple(columns.names[static_cast<std::size_t>(i)]),
                          std::forward_as_tuple(text.data(), text.size()));
    }
  } else {
    for (int i = 0; i < count; ++i) {
      if (sqlite3_column_type(row, i) == SQLITE_NULL) continue;
      values.insert_or_assign(columns.names[static_cast<std::size_t>(i)],
                              std::string(columnText(row, i)));
    }
  }
  return values;
}

// The version and integrity checks of opening. `firstValue(sql, column)` runs a pragma and gives
// the named column of its first row, or nothing.
template <class FirstValue>
void checkHistory(FirstValue&& firstValue) {
  const std::string version = firstValue("PRAGMA user_version", "user_version").value_or("0");
  const auto number = parseInteger(version);
  if (!number || *number >= 2) throw HistoryError(kNewer);
  if (firstValue("PRAGMA quick_check", "quick_check") != std::optional<std::string>("ok")) {
    throw HistoryError(kDamaged);
  }
}

fs::path companion(const fs::path& file, const char* suffix) {
  return fs::path(file.native() + suffix);
}

struct ProbeBusy {};

// Runs the opening checks without disturbing a history that was left with its write-ahead log
// (after a crash, or written by another program). A regular connection would rebuild the -shm
// index and, as the last one to close, copy the log into the database and delete both
// companions: a newer or damaged history would no longer be "left as found". The probe keeps the
// index in private memory (exclusive locking before the first read) and, when a log exists,
// closes without a checkpoint. Throws what the regular checks would throw; returns when the
// checks pass or cannot run without waiting for another connection, which then owns the
// companions anyway.
void probeExistingLog(const fs::path& file) {
  std::error_code ec;
  const bool hasLog = fs::exists(companion(file, "-wal"), ec);
  if (!hasLog && !fs::exists(companion(file, "-shm"), ec)) return;
  if (!fs::exists(file, ec)) return;

  sqlite3* db = nullptr;
  const int opened =
      sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_FULLMUTEX, nullptr);
  const std::unique_ptr<sqlite3, int (*)(sqlite3*)> closer(db, sqlite3_close_v2);
  if (opened != SQLITE_OK) return;  // the regular opening reports it
  // Without a log of its own the probe may close normally: the empty log that reading creates
  // is then removed again instead of being left behind.
  if (hasLog) sqlite3_db_config(db, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
  if (sqlite3_exec(db, "PRAGMA locking_mode=EXCLUSIVE", nullptr, nullptr, nullptr) != SQLITE_OK) {
    return;
  }
  auto firstValue = [db](const char* sql, const char* column) -> std::optional<std::string> {
    sqlite3_stmt* raw = nullptr;
    sqlite3_prepare_v2(db, sql, -1, &raw, nullptr);
    const std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt*)> statement(raw, sqlite3_finalize);
    const int rc = raw == nullptr ? sqlite3_errcode(db) : sqlite3_step(raw);
    if ((rc & 0xFF) == SQLITE_BUSY || (rc & 0xFF) == SQLITE_LOCKED) throw ProbeBusy{};
    if (rc == SQLITE_DONE) return std::nullopt;
    if (rc != SQLITE_ROW) throw HistoryError(sqlite3_errmsg(db));
    if (sqlite3_column_count(raw) < 1 || sqlite3_column_type(raw, 0) == SQLITE_NULL ||
        std::string_view(sqlite3_column_name(raw, 0)) != column) {
      return std::nullopt;
    }
    return std::string(columnText(raw, 0));
  };
  try {
    checkHistory(firstValue);
  } catch (const ProbeBusy&) {
  }
}

std::string powerDetail(const PowerContext& power) {
  std::string detail = power.source + " · battery ";
  if (power.battery) {
    char buf[400];  // room for any double in %.0f
    std::snprintf(buf, sizeof buf, "%.0f%%", *power.battery);
    detail += buf;
  } else {
    detail += "not available";
  }
  detail += " · charging ";
  detail += !power.charging ? "unknown" : *power.charging ? "yes" : "no";
  return detail;
}

// The export file: created empty (replacing any file there), then written sequentially through
// a buffer so that large documents cost few system calls. Closed on every path; what was
// written before a failure stays in the file.
class ExportFile {
 public:
  explicit ExportFile(const fs::path& path) : path_(path) {
    // Creating and opening for writing are one call here, so an opening failure is reported
    // as a failure to create.
    fd_ = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd_ < 0) throw HistoryError(kExportNotCreated);
    buffer_.reserve(kCapacity);
  }
  ~ExportFile() {
    if (!failed_) drain(buffer_, std::nothrow);
    ::close(fd_);  // an error while closing is ignored
  }
  ExportFile(const ExportFile&) = delete;
  ExportFile& operator=(const ExportFile&) = delete;

  void write(std::string_view bytes) {
    if (buffer_.size() + bytes.size() > kCapacity) {
      flush();
      if (bytes.size() >= kCapacity) {
        drain(bytes);
        return;
      }
    }
    buffer_.append(bytes);
  }

  void flush() {
    drain(buffer_);
    buffer_.clear();
  }

 private:
  static constexpr std::size_t kCapacity = 1 << 20;

  void drain(std::string_view bytes) {
    if (!drain(bytes, std::nothrow)) {
      throw fs::filesystem_error("Could not write the export", path_,
                                 std::error_code(errno, std::generic_category()));
    }
  }

  bool drain(std::string_view bytes, std::nothrow_t) noexcept {
    while (!bytes.empty()) {
      const ssize_t written = ::write(fd_, bytes.data(), bytes.size());
      if (written < 0) {
        if (errno == EINTR) continue;
        failed_ = true;
        return false;
      }
      bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
  }

  fs::path path_;
  int fd_ = -1;
  std::string buffer_;
  bool failed_ = false;
};

}  // namespace

void HistoryStore::Finalizer::operator()(sqlite3_stmt* statement) const noexcept {
  sqlite3_finalize(statement);
}

HistoryStore::HistoryStore(const fs::path& file) {
  if (file.has_parent_path()) fs::create_directories(file.parent_path());
  probeExistingLog(file);

  sqlite3* db = nullptr;
  if (sqlite3_open_v2(file.c_str(), &db,
                      SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_FULLMUTEX,
                      nullptr) != SQLITE_OK) {
    sqlite3_close_v2(db);
    throw HistoryError(kOpenFailed);
  }
  handle_ = db;
  try {
    sqlite3_busy_timeout(handle_, kBusyTimeoutMs);
    auto firstValue = [this](const char* sql, const char* column) -> std::optional<std::string> {
      const std::vector<Row> rows = query(sql);
      if (rows.empty()) return std::nullopt;
      const auto it = rows.front().find(column);
      if (it == rows.front().end()) return std::nullopt;
      return it->second;
    };
    checkHistory(firstValue);
    if (firstValue("PRAGMA page_count", "page_count") == std::optional<std::string>("0")) {
      execute(kNewDatabasePageSize);
    }
    execute("PRAGMA journal_mode=WAL");
    for (const char* sql : kSchema) execute(sql);
    execute("PRAGMA user_version=1");
  } catch (...) {
    sqlite3_close_v2(handle_);
    handle_ = nullptr;
    throw;
  }
}

HistoryStore::~HistoryStore() {
  const std::lock_guard guard(lock_);
  sqlite3_close_v2(handle_);
}

void HistoryStore::fail() const { throw HistoryError(sqlite3_errmsg(handle_)); }

HistoryStore::Statement HistoryStore::statement(std::string_view sql, Arguments arguments) {
  sqlite3_stmt* raw = nullptr;
  if (sqlite3_prepare_v2(handle_, sql.data(), static_cast<int>(sql.size()), &raw, nullptr) !=
          SQLITE_OK ||
      raw == nullptr) {
    fail();
  }
  Statement prepared(raw);
  int index = 1;
  for (const std::string_view argument : arguments) {
    // A null data pointer would bind NULL instead of the empty text.
    sqlite3_bind_text64(raw, index++, argument.data() ? argument.data() : "", argument.size(),
                        SQLITE_TRANSIENT, SQLITE_UTF8);
  }
  return prepared;
}

void HistoryStore::execute(std::string_view sql, Arguments arguments) {
  const std::lock_guard guard(lock_);
  const Statement prepared = statement(sql, arguments);
  const int rc = sqlite3_step(prepared.get());
  if (rc != SQLITE_ROW && rc != SQLITE_DONE) fail();
}

void HistoryStore::forEachRow(std::string_view sql, Arguments arguments, const RowVisitor& visit) {
  const std::lock_guard guard(lock_);
  const Statement prepared = statement(sql, arguments);
  for (;;) {
    const int rc = sqlite3_step(prepared.get());
    if (rc == SQLITE_DONE) return;
    if (rc != SQLITE_ROW) fail();
    visit(prepared.get());
  }
}

std::vector<HistoryStore::Row> HistoryStore::query(std::string_view sql, Arguments arguments) {
  std::vector<Row> rows;
  Columns columns;
  forEachRow(sql, arguments, [&](sqlite3_stmt* row) { rows.push_back(rowMap(row, columns)); });
  return rows;
}

void HistoryStore::record(const Reading& reading, const DeviceProfile& profile) {
  const std::lock_guard guard(lock_);
  std::optional<Reading> previous;
  const std::vector<Row> last = query("SELECT json FROM samples ORDER BY id DESC LIMIT 1");
  if (!last.empty()) {
    if (const auto it = last.front().find("json"); it != last.front().end()) {
      if (auto decoded = decodeReading(it->second)) previous = std::move(*decoded);
    }
  }
  const Expected<std::string> json = encodeJson(reading);
  if (!json) throw HistoryError(json.error());

  execute("BEGIN IMMEDIATE");
  try {
    const std::string time = decimal(reading.timestamp);
    execute(
        "INSERT INTO samples(time,state,segment,json) VALUES(?,?,?,?)",
        {time, decimal(static_cast<long long>(rawValue(reading.state))), reading.segment, *json});
    const Expected<std::string> device = encodeJson(profile);
    if (!device) throw HistoryError(device.error());
    execute("INSERT OR REPLACE INTO device VALUES(1,?)", {*device});

    const bool segmentStarted = !previous || previous->segment != reading.segment;
    if (segmentStarted || previous->state != reading.state) {
      execute(kInsertEvent,
              {time, "Thermal",
               title(reading.state) +
                   (segmentStarted ? " · monitoring segment started" : " · state transition")});
    }
    if (!previous || !(previous->power == reading.power)) {
      execute(kInsertEvent, {time, "Power", powerDetail(reading.power)});
    }
    execute("COMMIT");
  } catch (...) {
    try {
      execute("ROLLBACK");
    } catch (const std::exception&) {
      // the first failure is the one to report
    }
    throw;
  }
}

void HistoryStore::event(double at, const std::string& kind, const std::string& detail) {
  // Stored as text, a non-finite time would sort after every real time and escape retention.
  if (!std::isfinite(at)) throw HistoryError(kEventTimeInvalid);
  execute(kInsertEvent, {decimal(at), kind, detail});
}

void HistoryStore::prune(long long days, double now) {
  // A non-finite cut-off is bound as text, which compares above every stored time: it would
  // delete the whole history.
  if (!std::isfinite(now)) throw HistoryError(kPruneTimeInvalid);
  days = std::clamp(days, 1LL, 365LL);
  const std::string cutoff = decimal(now - static_cast<double>(days) * 86400.0);
  execute("DELETE FROM samples WHERE time<?", {cutoff});
  trim("samples", 200000,
       "DELETE FROM samples WHERE id < (SELECT id FROM samples ORDER BY id DESC LIMIT 1 OFFSET "
       "199999)");
  execute("DELETE FROM events WHERE time<?", {cutoff});
  trim("events", 20000,
       "DELETE FROM events WHERE id < (SELECT id FROM events ORDER BY id DESC LIMIT 1 OFFSET "
       "19999)");
}

void HistoryStore::trim(std::string_view table, long long keep, std::string_view literal) {
  const std::lock_guard guard(lock_);
  // Ids are unique integers, so a table whose ids span at most `keep` values holds at most
  // `keep` rows and the literal statement would delete nothing. The span costs two index
  // lookups; the literal statement's sub-select steps through `keep` rows of the table.
  const std::string span = "SELECT (SELECT MIN(id) FROM " + std::string(table) +
                           "),(SELECT MAX(id) FROM " + std::string(table) + ")";
  std::optional<long long> lowest, highest;
  forEachRow(span, {}, [&](sqlite3_stmt* row) {
    if (sqlite3_column_type(row, 0) == SQLITE_INTEGER) lowest = sqlite3_column_int64(row, 0);
    if (sqlite3_column_type(row, 1) == SQLITE_INTEGER) highest = sqlite3_column_int64(row, 1);
  });
  if (!lowest || !highest) return;  // empty table
  long long firstKept = 0;
  if (!__builtin_sub_overflow(*highest, keep, &firstKept) && firstKept < *lowest) return;
  execute(literal);
}

void HistoryStore::clear() {
  const std::lock_guard guard(lock_);
  execute("BEGIN IMMEDIATE");
  try {
    execute("DELETE FROM samples");
    execute("DELETE FROM events");
    execute("COMMIT");
    execute("PRAGMA wal_checkpoint(TRUNCATE)");
    execute("VACUUM");
  } catch (...) {
    try {
      execute("ROLLBACK");
    } catch (const std::exception&) {
      // the first failure is the one to report
    }
    throw;
  }
}

std::vector<HistoryStore::Row> HistoryStore::events(double since, long long limit) {
  return query("SELECT * FROM events WHERE time>=? ORDER BY time DESC,id DESC LIMIT ?",
               {decimal(since), decimal(limit)});
}

std::vector<Reading> HistoryStore::samples(double since, double until, long long points) {
  points = std::max(points, 1LL);
  double width = (until - since) / static_cast<double>(points);
  if (!(width >= 1.0)) width = 1.0;

  std::vector<Reading> readings;
  // Each row is decoded straight from SQLite's copy of the text, while the statement holds it.
  forEachRow(
      "SELECT json FROM samples WHERE id IN (SELECT MAX(id) FROM samples WHERE time>=? AND "
      "time<=? GROUP BY CAST(time/? AS INTEGER),segment) ORDER BY time",
      {decimal(since), decimal(until), decimal(width)}, [&](sqlite3_stmt* row) {
        if (sqlite3_column_type(row, 0) == SQLITE_NULL) return;
        if (auto reading = decodeReading(columnText(row, 0))) {  // unreadable rows are skipped
          readings.push_back(std::move(*reading));
        }
      });
  return readings;
}

std::map<ThermalState, double> HistoryStore::durations(double since, double until) {
  std::map<ThermalState, double> seconds;
  const std::vector<Row> rows = query(
      "WITH intervals AS (SELECT state,time,segment,LEAD(time) OVER(ORDER BY time,id) next,"
      "LEAD(segment) OVER(ORDER BY time,id) nextsegment FROM samples WHERE time>=? AND time<=?) "
      "SELECT state,SUM(CASE WHEN nextsegment=segment AND next-time BETWEEN 0 AND 90 THEN "
      "next-time ELSE 0 END) seconds FROM intervals GROUP BY state",
      {decimal(since), decimal(until)});
  for (const Row& row : rows) {
    const auto stateText = row.find("state");
    if (stateText == row.end()) continue;
    const auto raw = parseInteger(stateText->second);
    const auto state = raw ? thermalStateFromRaw(*raw) : std::nullopt;
    if (!state) continue;
    const auto total = row.find("seconds");
    seconds[*state] = total == row.end() ? 0.0 : parseDouble(total->second).value_or(0.0);
  }
  return seconds;
}

void HistoryStore::exportTo(const fs::path& file) {
  const std::lock_guard guard(lock_);
  ExportFile out(file);
  out.write(kExportHeader);

  const std::vector<Row> device = query("SELECT json FROM device");
  const auto profile = device.empty() ? nullptr : &device.front();
  const auto json = profile ? profile->find("json") : Row::const_iterator();
  out.write(profile && json != profile->end() ? std::string_view(json->second) : "null");

  out.write(",\"samples\":[");
  {
    // Each stored text is copied as soon as it is read: memory does not grow with the history.
    const Statement samples = statement("SELECT json FROM samples ORDER BY time,id");
    for (bool first = true;; first = false) {
      const int rc = sqlite3_step(samples.get());
      if (rc == SQLITE_DONE) break;
      if (rc != SQLITE_ROW) fail();
      if (!first) out.write(",");
      out.write(sqlite3_column_type(samples.get(), 0) == SQLITE_NULL
                    ? "null"
                    : columnText(samples.get(), 0));
    }
  }

  out.write("],\"events\":[");
  // Event objects: every column as a JSON string, members in key order (the row map's order).
  std::string encoded;
  Columns columns;
  bool first = true;
  forEachRow("SELECT * FROM events ORDER BY time,id", {}, [&](sqlite3_stmt* row) {
    const Row values = rowMap(row, columns);
    encoded.assign(first ? "{" : ",{");
    first = false;
    bool firstMember = true;
    for (const auto& [key, value] : values) {
      if (!firstMember) encoded.push_back(',');
      firstMember = false;
      JsonWriter::appendString(encoded, key);
      encoded.push_back(':');
      JsonWriter::appendString(encoded, value);
    }
    encoded.push_back('}');
    out.write(encoded);
  });
  out.write("]}");
  out.flush();
}

}  // namespace tempyra
