#include "history/history_store.h"

#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <optional>
#include <system_error>
#include <utility>

#include "core/json_writer.h"
#include "core/model_json.h"
#include "core/thermal_state.h"
#include "history/export_file.h"
#include "history/export_writer.h"

namespace tempyra {

namespace {

namespace fs = std::filesystem;

constexpr const char* kOpenFailed =
    "History database could not be opened. Existing files were preserved.";
constexpr const char* kNewer = "This history was created by a newer app. It was preserved.";
constexpr const char* kDamaged = "History integrity check failed. Existing history was preserved.";
constexpr const char* kReadOnly = "The history file is read-only. It was preserved.";
constexpr const char* kForeign = "This file holds another program's data. It was preserved.";
constexpr const char* kEventTimeInvalid = "An event needs a valid time. Nothing was written.";
constexpr const char* kPruneTimeInvalid =
    "History retention needs a valid current time. Nothing was deleted.";

constexpr int kBusyTimeoutMs = 3000;

// Every recording rewrites whole pages in the log: the leaf that takes the new reading, the leaf
// of the time index and, as retention frees pages that later readings reuse, the free-list and
// header pages. Readings are about 2.5 KB of JSON: 8 KiB pages hold three of them with little
// waste, and cost half the bytes per reading of 16 KiB pages (history_bench:
// bytes_written_per_reading); 4 KiB pages save a little more but hold a single reading each and
// make the file half as large again. The size can only be chosen while the file is still empty
// (before the first page, which write-ahead logging writes, exists); older files keep theirs.
constexpr const char* kNewDatabasePageSize = "PRAGMA page_size=8192";

constexpr long long kLogBytes = 4 << 20;

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

// Tables of any other name or shape mean the file belongs to another program (internal sqlite_
// tables aside); an empty database, or one holding part of the schema, is the store's to adopt.
constexpr const char* kForeignObjects =
    "SELECT COUNT(*) others FROM sqlite_master m WHERE name NOT LIKE 'sqlite!_%' ESCAPE '!' AND "
    "(type='view' OR type='table' AND (SELECT group_concat(name,',') FROM (SELECT name FROM "
    "pragma_table_info(m.name) ORDER BY cid)) IS NOT CASE name "
    "WHEN 'samples' THEN 'id,time,state,segment,json' WHEN 'events' THEN 'id,time,kind,detail' "
    "WHEN 'device' THEN 'id,json' END)";
constexpr const char* kSchemaObjects =
    "SELECT COUNT(*) objects FROM sqlite_master WHERE name IN "
    "('samples','sample_time','events','event_time','device')";

// The checks of opening, all of them reads, so that a history that is refused is not written.
// `firstValue(sql, column)` runs a statement and gives the named column of its first row, or
// nothing.
template <class FirstValue>
void checkHistory(FirstValue&& firstValue) {
  const std::string version = firstValue("PRAGMA user_version", "user_version").value_or("0");
  const auto number = parseInteger(version);
  if (!number || *number >= 2) throw HistoryError(kNewer);
  if (firstValue("PRAGMA quick_check", "quick_check") != std::optional<std::string>("ok")) {
    throw HistoryError(kDamaged);
  }
  if (firstValue(kForeignObjects, "others") != std::optional<std::string>("0")) {
    throw HistoryError(kForeign);
  }
}

fs::path companion(const fs::path& file, const char* suffix) {
  return fs::path(file.native() + suffix);
}

struct ProbeBusy {};

// `firstValue` for a connection of its own, outside the store.
std::optional<std::string> firstValueOf(sqlite3* db, const char* sql, const char* column) {
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
}

void checkConnection(sqlite3* db) {
  checkHistory([db](const char* sql, const char* column) { return firstValueOf(db, sql, column); });
}

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
  try {
    checkConnection(db);
  } catch (const ProbeBusy&) {
  }
}

// A rollback journal left beside the history (a crash while the file was still in rollback
// mode, or another program's transaction) is played back by the first connection that reads the
// file: the database is rewritten and the journal deleted, before any check could refuse the
// file. So the checks first run on a private copy of both, in a temporary folder, where the
// play-back does no harm; only a history that passes them meets the regular connection, which
// then completes the recovery. A copy that cannot be made leaves the files alone too.
void probeHotJournal(const fs::path& file) {
  std::error_code ec;
  const fs::path journal = companion(file, "-journal");
  const auto size = fs::file_size(journal, ec);
  if (ec || size == 0 || !fs::exists(file, ec)) return;

  std::string pattern = (fs::temp_directory_path(ec) / "tempyra-history-XXXXXX").string();
  if (ec || ::mkdtemp(pattern.data()) == nullptr) throw HistoryError(kOpenFailed);
  const fs::path folder = pattern;
  const std::unique_ptr<const fs::path, void (*)(const fs::path*)> cleanup(
      &folder, [](const fs::path* dir) {
        std::error_code ignored;
        fs::remove_all(*dir, ignored);
      });
  const fs::path copy = folder / "history.sqlite";
  for (const char* suffix : {"", "-journal"}) {
    fs::copy_file(companion(file, suffix), companion(copy, suffix), ec);
    if (ec) throw HistoryError(kOpenFailed);
  }
  sqlite3* db = nullptr;
  const int opened =
      sqlite3_open_v2(copy.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_FULLMUTEX, nullptr);
  const std::unique_ptr<sqlite3, int (*)(sqlite3*)> closer(db, sqlite3_close_v2);
  if (opened != SQLITE_OK) throw HistoryError(kOpenFailed);
  checkConnection(db);
}

// Missing folders are created one by one, private to the user (0700): the history holds the
// names of the processes that were busy. Folders that exist keep their permissions.
void createPrivateDirectories(const fs::path& dir) {
  std::error_code ec;
  if (dir.empty() || fs::is_directory(dir, ec)) return;
  if (dir.has_parent_path() && dir.parent_path() != dir)
    createPrivateDirectories(dir.parent_path());
  if (::mkdir(dir.c_str(), 0700) != 0 && errno != EEXIST) {
    throw fs::filesystem_error("Could not create the history folder", dir,
                               std::error_code(errno, std::generic_category()));
  }
  if (!fs::is_directory(dir, ec)) {
    throw fs::filesystem_error("Could not create the history folder", dir,
                               std::make_error_code(std::errc::not_a_directory));
  }
}

// A new history starts as an empty file of the user's own (0600); SQLite would create it
// readable by everyone, and gives its companion files the database's permissions.
void createPrivateFile(const fs::path& file) {
  const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (fd >= 0) ::close(fd);  // any failure is the regular opening's to report
}

sqlite3* openConnection(const fs::path& file) {
  sqlite3* db = nullptr;
  if (sqlite3_open_v2(file.c_str(), &db,
                      SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_FULLMUTEX,
                      nullptr) != SQLITE_OK) {
    sqlite3_close_v2(db);
    throw HistoryError(kOpenFailed);
  }
  return db;
}

bool unwritable(const fs::path& file) {
  return ::access(file.c_str(), F_OK) == 0 && ::access(file.c_str(), W_OK) != 0;
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

}  // namespace

void HistoryStore::Finalizer::operator()(sqlite3_stmt* statement) const noexcept {
  sqlite3_finalize(statement);
}

HistoryStore::HistoryStore(const fs::path& file) {
  if (file.has_parent_path()) createPrivateDirectories(file.parent_path());
  createPrivateFile(file);
  handle_ = openConnection(file);
  try {
    // SQLite falls back to reading a file it may not write, and would then create the log and
    // index files with the database's read-only permissions: the history would stay broken after
    // the user fixed the permission. Nothing has been read (nor created) yet at this point.
    if (sqlite3_db_readonly(handle_, "main") == 1 || unwritable(companion(file, "-wal")) ||
        unwritable(companion(file, "-shm"))) {
      throw HistoryError(kReadOnly);
    }
    probeExistingLog(file);
    probeHotJournal(file);
    check(file);
    adopt();
    struct stat st {};
    if (::stat(file.c_str(), &st) == 0 && (st.st_mode & S_IROTH) != 0) {
      notice_ = "Other users of this computer can read the history file " +
                databaseFile().string() +
                ", which names the processes you ran; chmod 600 on it keeps it private.";
    }
  } catch (...) {
    sqlite3_close_v2(handle_);
    handle_ = nullptr;
    throw;
  }
}

fs::path HistoryStore::databaseFile() const {
  // SQLite's own absolute name, the one its companion files are named after.
  const char* name = sqlite3_db_filename(handle_, "main");
  return name != nullptr ? fs::path(name) : fs::path();
}

std::optional<std::string> HistoryStore::firstValue(const char* sql, const char* column) {
  const std::vector<Row> rows = query(sql);
  if (rows.empty()) return std::nullopt;
  const auto it = rows.front().find(column);
  if (it == rows.front().end()) return std::nullopt;
  return it->second;
}

void HistoryStore::check(const fs::path& file) {
  const auto firstValueHere = [this](const char* sql, const char* column) {
    return firstValue(sql, column);
  };
  sqlite3_busy_timeout(handle_, kBusyTimeoutMs);
  try {
    checkHistory(firstValueHere);
  } catch (const HistoryError&) {
    // On a full disk the shared-memory index cannot grow to its first size, so a history that
    // was closed cleanly could not even be read. Kept in this process's memory instead (which
    // shuts other programs out of the file until the store closes), it can still be viewed. The
    // choice holds only for a connection that has not opened the log yet.
    const int code = sqlite3_extended_errcode(handle_);
    if (code != SQLITE_IOERR_SHMSIZE && code != SQLITE_IOERR_SHMOPEN && code != SQLITE_FULL) {
      throw;
    }
    sqlite3_close_v2(std::exchange(handle_, nullptr));
    handle_ = openConnection(file);
    sqlite3_busy_timeout(handle_, kBusyTimeoutMs);
    execute("PRAGMA locking_mode=EXCLUSIVE");
    checkHistory(firstValueHere);
  }
}

void HistoryStore::adopt() {
  const auto is = [this](const char* sql, const char* column, const char* value) {
    return firstValue(sql, column) == std::optional<std::string>(value);
  };
  // Only what is missing is written: opening a current history writes nothing, so it opens on
  // a full disk, and a file refused by the checks was never touched.
  if (is("PRAGMA page_count", "page_count", "0")) execute(kNewDatabasePageSize);
  if (!is("PRAGMA journal_mode", "journal_mode", "wal")) execute("PRAGMA journal_mode=WAL");
  if (!is(kSchemaObjects, "objects", "5")) {
    for (const char* sql : kSchema) execute(sql);
  }
  if (!is("PRAGMA user_version", "user_version", "1")) execute("PRAGMA user_version=1");

  // Every commit syncs the log: with synchronous=NORMAL a power cut could take back the readings
  // committed since the last checkpoint, which the user had already been shown.
  execute("PRAGMA synchronous=FULL");
  // The log is copied into the database whenever it holds about 4 MiB, and cut back to that
  // size after a transaction that made it larger (a clear, a long retention). Left alone it
  // grows to 1,000 pages, 16 MB with 16 KiB pages, and keeps that size. Checkpointing more
  // often adds little: a page that changes many times is copied once per checkpoint.
  const long long pageSize =
      parseInteger(firstValue("PRAGMA page_size", "page_size").value_or("")).value_or(4096);
  execute("PRAGMA wal_autocheckpoint=" + decimal(kLogBytes / std::max(512LL, pageSize)));
  execute("PRAGMA journal_size_limit=" + decimal(kLogBytes));
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
    // The profile rarely changes between readings; rewriting its unchanged row would add a page
    // to every recording's log.
    execute(
        "INSERT INTO device VALUES(1,?1) ON CONFLICT(id) DO UPDATE SET json=?1 WHERE json IS NOT "
        "?1",
        {*device});

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

ExportSummary HistoryStore::exportTo(const fs::path& file) {
  const std::lock_guard guard(lock_);
  const fs::path database = databaseFile();
  ExportFile out(file, {database, companion(database, "-wal"), companion(database, "-shm"),
                        companion(database, "-journal")});
  ExportWriter writer([&out](std::string_view bytes) { out.write(bytes); });

  const std::vector<Row> device = query("SELECT json FROM device");
  const auto profile = device.empty() ? nullptr : &device.front();
  const auto json = profile ? profile->find("json") : Row::const_iterator();
  writer.device(profile && json != profile->end() ? std::optional<std::string_view>(json->second)
                                                  : std::nullopt);
  // Each stored text is copied as soon as it is read: memory does not grow with the history.
  forEachRow("SELECT json FROM samples ORDER BY time,id", {}, [&](sqlite3_stmt* row) {
    writer.sample(sqlite3_column_type(row, 0) == SQLITE_NULL
                      ? std::nullopt
                      : std::optional<std::string_view>(columnText(row, 0)));
  });
  Columns columns;
  forEachRow("SELECT * FROM events ORDER BY time,id", {},
             [&](sqlite3_stmt* row) { writer.event(rowMap(row, columns)); });
  writer.finish();
  out.commit();
  return {writer.samples(), writer.skipped()};
}

}  // namespace tempyra
