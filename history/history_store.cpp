#include "history/history_store.h"

#include <fcntl.h>
#include <sqlite3.h>
#include <simdjson.h>
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
#include "history/episode_builder.h"

namespace tempyra {

namespace {

namespace fs = std::filesystem;

constexpr const char* kOpenFailed =
    "History database could not be opened. Existing files were preserved.";
constexpr const char* kNewer = "This history was created by a newer app. It was preserved.";
constexpr const char* kDamaged = "History integrity check failed. Existing history was preserved.";
constexpr const char* kReadOnly = "The history file is read-only. It was preserved.";
constexpr const char* kForeign = "This file holds another program's data. It was preserved.";
constexpr const char* kEmpty = "This file holds no history yet. It was left as it was.";
// SQLite's own messages for these say little to someone who did not write the program.
constexpr const char* kCannotWrite =
    "The history file cannot be written: the file or its folder is read-only. It was left as it "
    "was.";
constexpr const char* kNotDatabase = "This file is not a history database. It was left as it was.";
constexpr const char* kCorrupt = "The history file is damaged. It was left as it was.";
constexpr const char* kEventTimeInvalid = "An event needs a valid time. Nothing was written.";
constexpr const char* kEventKindInvalid = "An event needs a known kind. Nothing was written.";
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

// The column's value as SQLite renders it as text; empty for NULL.
std::string_view columnText(sqlite3_stmt* row, int column) {
  const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(row, column));
  if (text == nullptr) return {};
  return {text, static_cast<std::size_t>(sqlite3_column_bytes(row, column))};
}

// The column's text up to its first NUL, which no text the store writes for the monitor
// holds; empty for NULL. One call into SQLite where columnText makes two: reading an event's
// texts is most of what the events query costs beyond stepping its statement.
std::string leadingText(sqlite3_stmt* row, int column) {
  const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(row, column));
  return text != nullptr ? std::string(text) : std::string();
}

std::optional<std::string_view> optionalText(sqlite3_stmt* row, int column) {
  if (sqlite3_column_type(row, column) == SQLITE_NULL) return std::nullopt;
  return columnText(row, column);
}

struct Finalizer {
  void operator()(sqlite3_stmt* statement) const noexcept { sqlite3_finalize(statement); }
};
using Statement = std::unique_ptr<sqlite3_stmt, Finalizer>;

// Makes a statement ready to run again, and ends the read it may still hold.
struct Resetter {
  void operator()(sqlite3_stmt* statement) const noexcept { sqlite3_reset(statement); }
};

struct Closer {
  void operator()(sqlite3* db) const noexcept { sqlite3_close_v2(db); }
};
using Connection = std::unique_ptr<sqlite3, Closer>;

// The connection's last failure as a line for the user: SQLite's own message, or a sentence of
// ours where that message does not say what is wrong with the file.
Error failure(sqlite3* db) {
  switch (sqlite3_extended_errcode(db) & 0xFF) {
    case SQLITE_READONLY:
      return Error{kCannotWrite};
    case SQLITE_NOTADB:
      return Error{kNotDatabase};
    case SQLITE_CORRUPT:
      return Error{kCorrupt};
    default:
      return Error{sqlite3_errmsg(db)};
  }
}

// Binds each argument, in order, as transient UTF-8 text.
void bind(sqlite3_stmt* statement, std::initializer_list<std::string_view> arguments) {
  int index = 1;
  for (const std::string_view argument : arguments) {
    // A null data pointer would bind NULL instead of the empty text.
    sqlite3_bind_text64(statement, index++, argument.data() ? argument.data() : "",
                        argument.size(), SQLITE_TRANSIENT, SQLITE_UTF8);
  }
}

// Prepares `sql` and binds the arguments. An empty or comment-only text prepares no statement
// and fails.
Expected<Statement> prepare(sqlite3* db, std::string_view sql,
                            std::initializer_list<std::string_view> arguments) {
  sqlite3_stmt* raw = nullptr;
  if (sqlite3_prepare_v2(db, sql.data(), static_cast<int>(sql.size()), &raw, nullptr) !=
          SQLITE_OK ||
      raw == nullptr) {
    return failure(db);
  }
  Statement prepared(raw);
  bind(raw, arguments);
  return prepared;
}

// Steps `sql` once; a row or done is success.
Status runOnce(sqlite3* db, std::string_view sql,
               std::initializer_list<std::string_view> arguments = {}) {
  const Expected<Statement> prepared = prepare(db, sql, arguments);
  if (!prepared) return prepared.failure();
  const int rc = sqlite3_step(prepared->get());
  if (rc != SQLITE_ROW && rc != SQLITE_DONE) return failure(db);
  return {};
}

// The first column of the statement's first row; nothing for no row or NULL. A failure also
// leaves SQLite's extended result code in `*code`.
Expected<std::optional<std::string>> firstValue(sqlite3* db, const char* sql, int* code) {
  const Expected<Statement> prepared = prepare(db, sql, {});
  const int rc = prepared ? sqlite3_step(prepared->get()) : SQLITE_ERROR;
  if (rc == SQLITE_DONE) return std::optional<std::string>();
  if (rc != SQLITE_ROW) {
    *code = sqlite3_extended_errcode(db);
    return failure(db);
  }
  const std::optional<std::string_view> text = optionalText(prepared->get(), 0);
  return text ? std::optional<std::string>(*text) : std::nullopt;
}

// Whether the statement's first value is `value`.
Expected<bool> answers(sqlite3* db, const char* sql, const char* value) {
  int code = SQLITE_OK;
  const auto first = firstValue(db, sql, &code);
  if (!first) return first.failure();
  return *first == std::optional<std::string>(value);
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
// A statement that fails leaves SQLite's extended result code in `*code`.
Status checkHistory(sqlite3* db, int* code) {
  const auto version = firstValue(db, "PRAGMA user_version", code);
  if (!version) return version.failure();
  // 0 is a database nobody has claimed; 1 is the only version this store has written. Anything
  // else was written by a newer store or by another program.
  const auto number = parseInteger(version->value_or("0"));
  if (!number || *number >= 2) return Error{kNewer};
  if (*number < 0) return Error{kForeign};
  const auto integrity = firstValue(db, "PRAGMA quick_check", code);
  if (!integrity) return integrity.failure();
  if (*integrity != std::optional<std::string>("ok")) return Error{kDamaged};
  const auto others = firstValue(db, kForeignObjects, code);
  if (!others) return others.failure();
  if (*others != std::optional<std::string>("0")) return Error{kForeign};
  return {};
}

fs::path companion(const fs::path& file, const char* suffix) {
  return fs::path(file.native() + suffix);
}

// Runs the opening checks without disturbing a history that was left with its write-ahead log
// (after a crash, or written by another program). A regular connection would rebuild the -shm
// index and, as the last one to close, copy the log into the database and delete both
// companions: a newer or damaged history would no longer be "left as found". The probe keeps the
// index in private memory (exclusive locking before the first read) and, when a log exists,
// closes without a checkpoint. Answers what the regular checks would answer; succeeds when the
// checks pass or cannot run without waiting for another connection, which then owns the
// companions anyway.
Status probeExistingLog(const fs::path& file) {
  std::error_code ec;
  const bool hasLog = fs::exists(companion(file, "-wal"), ec);
  if (!hasLog && !fs::exists(companion(file, "-shm"), ec)) return {};
  if (!fs::exists(file, ec)) return {};

  sqlite3* raw = nullptr;
  const int opened =
      sqlite3_open_v2(file.c_str(), &raw, SQLITE_OPEN_READWRITE | SQLITE_OPEN_FULLMUTEX, nullptr);
  const Connection db(raw);
  if (opened != SQLITE_OK) return {};  // the regular opening reports it
  // Without a log of its own the probe may close normally: the empty log that reading creates
  // is then removed again instead of being left behind.
  if (hasLog) sqlite3_db_config(db.get(), SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
  if (!runOnce(db.get(), "PRAGMA locking_mode=EXCLUSIVE")) return {};
  int code = SQLITE_OK;
  const Status checked = checkHistory(db.get(), &code);
  if (!checked && ((code & 0xFF) == SQLITE_BUSY || (code & 0xFF) == SQLITE_LOCKED)) return {};
  return checked;
}

// A rollback journal left beside the history (a crash while the file was still in rollback
// mode, or another program's transaction) is played back by the first connection that reads the
// file: the database is rewritten and the journal deleted, before any check could refuse the
// file. So the checks first run on a private copy of both, in a temporary folder, where the
// play-back does no harm; only a history that passes them meets the regular connection, which
// then completes the recovery. A copy that cannot be made leaves the files alone too.
Status probeHotJournal(const fs::path& file) {
  std::error_code ec;
  const fs::path journal = companion(file, "-journal");
  const auto size = fs::file_size(journal, ec);
  if (ec || size == 0 || !fs::exists(file, ec)) return {};

  std::string pattern = (fs::temp_directory_path(ec) / "tempyra-history-XXXXXX").string();
  if (ec || ::mkdtemp(pattern.data()) == nullptr) return Error{kOpenFailed};
  const fs::path folder = pattern;
  const std::unique_ptr<const fs::path, void (*)(const fs::path*)> cleanup(
      &folder, [](const fs::path* dir) {
        std::error_code ignored;
        fs::remove_all(*dir, ignored);
      });
  const fs::path copy = folder / "history.sqlite";
  for (const char* suffix : {"", "-journal"}) {
    fs::copy_file(companion(file, suffix), companion(copy, suffix), ec);
    if (ec) return Error{kOpenFailed};
  }
  sqlite3* raw = nullptr;
  const int opened =
      sqlite3_open_v2(copy.c_str(), &raw, SQLITE_OPEN_READWRITE | SQLITE_OPEN_FULLMUTEX, nullptr);
  const Connection db(raw);
  if (opened != SQLITE_OK) return Error{kOpenFailed};
  int code = SQLITE_OK;
  return checkHistory(db.get(), &code);
}

// Missing folders are created one by one, private to the user (0700): the history holds the
// names of the processes that were busy. Folders that exist keep their permissions.
Status createPrivateDirectories(const fs::path& dir) {
  std::error_code ec;
  if (dir.empty() || fs::is_directory(dir, ec)) return {};
  if (dir.has_parent_path() && dir.parent_path() != dir) {
    if (Status parent = createPrivateDirectories(dir.parent_path()); !parent) return parent;
  }
  std::error_code error;
  if (::mkdir(dir.c_str(), 0700) != 0 && errno != EEXIST) {
    error.assign(errno, std::generic_category());
  } else if (!fs::is_directory(dir, ec)) {
    error = std::make_error_code(std::errc::not_a_directory);
  }
  if (!error) return {};
  return Error{fs::filesystem_error("Could not create the history folder", dir, error).what()};
}

// A new history starts as an empty file of the user's own (0600); SQLite would create it
// readable by everyone, and gives its companion files the database's permissions.
void createPrivateFile(const fs::path& file) {
  const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (fd >= 0) ::close(fd);  // any failure is the regular opening's to report
}

Expected<Connection> openConnection(
    const fs::path& file, int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE) {
  sqlite3* raw = nullptr;
  const int opened = sqlite3_open_v2(file.c_str(), &raw, flags | SQLITE_OPEN_FULLMUTEX, nullptr);
  Connection db(raw);
  if (opened != SQLITE_OK) return Error{kOpenFailed};
  sqlite3_busy_timeout(db.get(), kBusyTimeoutMs);
  return db;
}

bool present(const fs::path& file) {
  struct stat st {};
  return ::lstat(file.c_str(), &st) == 0;
}

// A reading connection creates the log and the shared-memory index beside a history that had
// none, and leaves them: only the last connection that may write removes them when it closes. A
// connection that reads once and closes does so without writing to the database (the log is
// empty), and leaves them alone while another connection holds them.
void removeReadersCompanions(const fs::path& file) {
  if (!present(companion(file, "-wal")) && !present(companion(file, "-shm"))) return;
  if (Expected<Connection> tidy = openConnection(file, SQLITE_OPEN_READWRITE)) {
    runOnce(tidy->get(), "PRAGMA user_version");
  }
  // On a full disk the index never grows past its first three bytes, and nothing could be read
  // through it or written to the empty log.
  std::error_code ec;
  const fs::path index = companion(file, "-shm"), log = companion(file, "-wal");
  if (fs::file_size(index, ec) <= 3 && !ec) {
    ::unlink(index.c_str());
    if (fs::file_size(log, ec) == 0 && !ec) ::unlink(log.c_str());
  }
}

// The checks of opening on the store's own connection, which they may replace. `hadIndex`: the
// history's shared-memory index existed before this connection opened.
Status check(Connection& db, const fs::path& file, bool hadIndex) {
  int code = SQLITE_OK;
  const Status checked = checkHistory(db.get(), &code);
  // On a full disk the shared-memory index cannot grow to its first size, so a history that
  // was closed cleanly could not even be read. Kept in this process's memory instead (which
  // shuts other programs out of the file until the store closes), it can still be viewed. The
  // choice holds only for a connection that has not opened the log yet.
  if (checked ||
      (code != SQLITE_IOERR_SHMSIZE && code != SQLITE_IOERR_SHMOPEN && code != SQLITE_FULL)) {
    return checked;
  }
  db.reset();
  // The index this connection began holds only its first three bytes and is of no use to
  // anyone; the connection that replaces it keeps its index in memory.
  const fs::path index = companion(file, "-shm");
  std::error_code ec;
  if (!hadIndex && fs::file_size(index, ec) <= 3 && !ec) ::unlink(index.c_str());
  Expected<Connection> reopened = openConnection(file);
  if (!reopened) return reopened.failure();
  db = std::move(*reopened);
  if (Status exclusive = runOnce(db.get(), "PRAGMA locking_mode=EXCLUSIVE"); !exclusive) {
    return exclusive;
  }
  return checkHistory(db.get(), &code);
}

// Writes what a new or older history lacks, and sets the connection up for recording.
Status adopt(sqlite3* db) {
  // Only what is missing is written: opening a current history writes nothing, so it opens on
  // a full disk, and a file refused by the checks was never touched.
  const Expected<bool> empty = answers(db, "PRAGMA page_count", "0");
  if (!empty) return empty.failure();
  if (*empty) {
    if (Status sized = runOnce(db, kNewDatabasePageSize); !sized) return sized;
  }
  const struct {
    const char* question;
    const char* present;  // the answer when nothing is missing
    std::vector<const char*> writes;
  } parts[] = {
      {"PRAGMA journal_mode", "wal", {"PRAGMA journal_mode=WAL"}},
      {kSchemaObjects, "5", {std::begin(kSchema), std::end(kSchema)}},
      {"PRAGMA user_version", "1", {"PRAGMA user_version=1"}},
  };
  for (const auto& part : parts) {
    const Expected<bool> present = answers(db, part.question, part.present);
    if (!present) return present.failure();
    if (*present) continue;
    for (const char* sql : part.writes) {
      if (Status written = runOnce(db, sql); !written) return written;
    }
  }

  // Every commit syncs the log: with synchronous=NORMAL a power cut could take back the readings
  // committed since the last checkpoint, which the user had already been shown.
  if (Status synced = runOnce(db, "PRAGMA synchronous=FULL"); !synced) return synced;
  // The log is copied into the database whenever it holds about 4 MiB, and cut back to that
  // size after a transaction that made it larger (a clear, a long retention). Left alone it
  // grows to 1,000 pages, 16 MB with 16 KiB pages, and keeps that size. Checkpointing more
  // often adds little: a page that changes many times is copied once per checkpoint.
  int code = SQLITE_OK;
  const auto pageText = firstValue(db, "PRAGMA page_size", &code);
  if (!pageText) return pageText.failure();
  const long long pageSize = parseInteger(pageText->value_or("")).value_or(4096);
  if (Status s = runOnce(
          db, "PRAGMA wal_autocheckpoint=" + decimal(kLogBytes / std::max(512LL, pageSize)));
      !s) {
    return s;
  }
  return runOnce(db, "PRAGMA journal_size_limit=" + decimal(kLogBytes));
}

bool unwritable(const fs::path& file) {
  return ::access(file.c_str(), F_OK) == 0 && ::access(file.c_str(), W_OK) != 0;
}

std::string powerDetail(const PowerContext& power) {
  std::string detail = sourceWords(power) + " · battery ";
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

// What an episode needs of a stored record, picked from the parsed document without building
// the whole reading: decoding every metric's texts is most of what a reading costs, and a month
// of episodes would take several times the durations query. Nothing when the text is not a
// JSON object; members of another type count as absent.
std::optional<EpisodeBuilder::Details> episodeDetails(simdjson::dom::parser& parser,
                                                      std::string_view json) {
  namespace dom = simdjson::dom;
  dom::object reading;
  if (parser.parse(json.data(), json.size()).get(reading) != simdjson::SUCCESS) {
    return std::nullopt;
  }
  EpisodeBuilder::Details details;
  double number = 0;
  std::string_view text;
  if (reading["cpu"]["value"].get(number) == simdjson::SUCCESS) details.cpuLoad = number;
  dom::array list;
  if (reading["sensors"].get(list) == simdjson::SUCCESS) {
    for (const dom::element sensor : list) {
      if (sensor["name"].get(text) != simdjson::SUCCESS ||
          sensor["value"].get(number) != simdjson::SUCCESS) {
        continue;
      }
      const MetricKind kind = metricKindFromStored(text, {});
      if (kind == MetricKind::cpuTemperature) details.cpuTemperature = number;
      if (kind == MetricKind::gpuTemperature) details.gpuTemperature = number;
    }
  }
  if (reading["power"]["source"].get(text) == simdjson::SUCCESS) details.powerSource = text;
  if (reading["activity"].get(list) == simdjson::SUCCESS) {
    for (const dom::element process : list) {
      if (process["name"].get(text) == simdjson::SUCCESS &&
          process["cpu"].get(number) == simdjson::SUCCESS) {
        details.activity.emplace_back(std::string(text), number);
      }
    }
  }
  return details;
}

}  // namespace

// BEGIN IMMEDIATE … COMMIT. A transaction that began and was not committed is rolled back when
// the guard goes, so every early return of a failed step leaves nothing of it behind; what the
// rollback reports is dropped, as the first failure is the one to report.
// REQUIRES: the store's lock held for the guard's whole life.
class HistoryStore::Transaction {
 public:
  explicit Transaction(HistoryStore& store) : store_(store) {}
  ~Transaction() {
    if (open_) store_.execute("ROLLBACK");
  }
  Transaction(const Transaction&) = delete;
  Transaction& operator=(const Transaction&) = delete;

  Status begin() {
    Status begun = store_.execute("BEGIN IMMEDIATE");
    open_ = begun.hasValue();
    return begun;
  }
  Status commit() {
    Status committed = store_.execute("COMMIT");
    if (committed) open_ = false;
    return committed;
  }

 private:
  HistoryStore& store_;
  bool open_ = false;
};

Expected<std::unique_ptr<HistoryStore>> HistoryStore::open(const fs::path& file,
                                                         Access access) {
  std::error_code ec;
  const fs::path opened = fs::absolute(file, ec);
  if (access == Access::readOnly) {
    if (!present(file)) return Error{"There is no history at " + file.string() + "."};
    const bool tidy = !present(companion(file, "-wal")) && !present(companion(file, "-shm"));
    Expected<Connection> connection = openConnection(file, SQLITE_OPEN_READONLY);
    if (!connection) return connection.failure();
    Connection db = std::move(*connection);
    int code = SQLITE_OK;
    Status checked = probeExistingLog(file);
    if (checked) checked = probeHotJournal(file);
    if (checked) checked = checkHistory(db.get(), &code);
    if (checked) {
      const Expected<bool> complete = answers(db.get(), kSchemaObjects, "5");
      if (!complete) checked = complete.failure();
      if (complete && !*complete) checked = Error{kEmpty};
    }
    if (!checked) {
      db.reset();
      if (tidy) removeReadersCompanions(file);
      return checked.failure();
    }
    return std::unique_ptr<HistoryStore>(
        new HistoryStore(db.release(), std::nullopt, ec ? file : opened, tidy));
  }
  if (file.has_parent_path()) {
    if (Status folders = createPrivateDirectories(file.parent_path()); !folders) {
      return folders.failure();
    }
  }
  createPrivateFile(file);
  const bool hadIndex = present(companion(file, "-shm"));
  Expected<Connection> connection = openConnection(file);
  if (!connection) return connection.failure();
  Connection db = std::move(*connection);
  // SQLite falls back to reading a file it may not write, and would then create the log and
  // index files with the database's read-only permissions: the history would stay broken after
  // the user fixed the permission. Nothing has been read (nor created) yet at this point.
  if (sqlite3_db_readonly(db.get(), "main") == 1 || unwritable(companion(file, "-wal")) ||
      unwritable(companion(file, "-shm"))) {
    return Error{kReadOnly};
  }
  if (Status probed = probeExistingLog(file); !probed) return probed.failure();
  if (Status probed = probeHotJournal(file); !probed) return probed.failure();
  if (Status checked = check(db, file, hadIndex); !checked) return checked.failure();
  if (Status adopted = adopt(db.get()); !adopted) return adopted.failure();

  std::optional<std::string> notice;
  struct stat st {};
  if (::stat(file.c_str(), &st) == 0 && (st.st_mode & S_IROTH) != 0) {
    const char* name = sqlite3_db_filename(db.get(), "main");
    notice = "Other users of this computer can read the history file " +
             std::string(name != nullptr ? name : file.c_str()) +
             ", which names the processes you ran; chmod 600 on it keeps it private.";
  }
  return std::unique_ptr<HistoryStore>(
      new HistoryStore(db.release(), std::move(notice), ec ? file : opened, false));
}

HistoryStore::HistoryStore(sqlite3* handle, std::optional<std::string> notice, fs::path opened,
                           bool tidyOnClose)
    : handle_(handle),
      notice_(std::move(notice)),
      opened_(std::move(opened)),
      tidyOnClose_(tidyOnClose) {}

HistoryStore::~HistoryStore() {
  const std::lock_guard guard(lock_);
  for (const auto& [sql, statement] : reads_) sqlite3_finalize(statement);
  sqlite3_close_v2(handle_);
  if (tidyOnClose_) removeReadersCompanions(opened_);
}

fs::path HistoryStore::databaseFile() const {
  // SQLite's own absolute name, the one its companion files are named after.
  const char* name = sqlite3_db_filename(handle_, "main");
  return name != nullptr ? fs::path(name) : fs::path();
}

Status HistoryStore::execute(std::string_view sql, Arguments arguments) {
  const std::lock_guard guard(lock_);
  return runOnce(handle_, sql, arguments);
}

Status HistoryStore::executeAll(std::initializer_list<std::string_view> statements) {
  const std::lock_guard guard(lock_);
  for (const std::string_view sql : statements) {
    if (Status done = runOnce(handle_, sql); !done) return done;
  }
  return {};
}

Status HistoryStore::forEachRow(std::string_view sql, Arguments arguments,
                                const RowVisitor& visit) {
  const std::lock_guard guard(lock_);
  // The reads behind every reload run many times: each is prepared once and kept.
  auto read = reads_.find(sql);
  if (read == reads_.end()) {
    Expected<Statement> prepared = prepare(handle_, sql, {});
    if (!prepared) return prepared.failure();
    read = reads_.emplace(std::string(sql), prepared->release()).first;
  }
  sqlite3_stmt* statement = read->second;
  bind(statement, arguments);
  // Reset on every way out: a statement left mid-way would keep its read open, which holds
  // back checkpoints and makes VACUUM fail.
  const std::unique_ptr<sqlite3_stmt, Resetter> reset(statement);
  for (;;) {
    const int rc = sqlite3_step(statement);
    if (rc == SQLITE_DONE) return {};
    if (rc != SQLITE_ROW) return failure(handle_);
    visit(statement);
  }
}

Status HistoryStore::record(const Reading& reading, const DeviceProfile& profile) {
  const Expected<std::string> json = encodeJson(reading);
  if (!json) return json.failure();
  const Expected<std::string> device = encodeJson(profile);
  if (!device) return device.failure();

  const std::lock_guard guard(lock_);
  std::optional<Reading> previous;
  const Status read =
      forEachRow("SELECT json FROM samples ORDER BY id DESC LIMIT 1", {}, [&](sqlite3_stmt* row) {
        // An unreadable last sample counts as none: both events are written again.
        if (auto decoded = decodeReading(columnText(row, 0))) previous = std::move(*decoded);
      });
  if (!read) return read;

  Transaction transaction(*this);
  if (Status begun = transaction.begin(); !begun) return begun;
  const std::string time = decimal(reading.timestamp);
  if (Status s = execute(
          "INSERT INTO samples(time,state,segment,json) VALUES(?,?,?,?)",
          {time, decimal(static_cast<long long>(rawValue(reading.state))), reading.segment, *json});
      !s) {
    return s;
  }
  // The profile rarely changes between readings; rewriting its unchanged row would add a page
  // to every recording's log.
  if (Status s = execute(
          "INSERT INTO device VALUES(1,?1) ON CONFLICT(id) DO UPDATE SET json=?1 WHERE json IS NOT "
          "?1",
          {*device});
      !s) {
    return s;
  }
  const bool segmentStarted = !previous || previous->segment != reading.segment;
  if (segmentStarted || previous->state != reading.state) {
    const std::string detail =
        title(reading.state) +
        (segmentStarted ? " · monitoring segment started" : " · state transition");
    if (Status s = execute(kInsertEvent, {time, storedWord(EventKind::thermal), detail}); !s) {
      return s;
    }
  }
  if (!previous || !(previous->power == reading.power)) {
    const std::string detail = powerDetail(reading.power);
    if (Status s = execute(kInsertEvent, {time, storedWord(EventKind::power), detail}); !s) {
      return s;
    }
  }
  return transaction.commit();
}

Status HistoryStore::event(double at, EventKind kind, const std::string& detail) {
  // Stored as text, a non-finite time would sort after every real time and escape retention.
  if (!std::isfinite(at)) return Error{kEventTimeInvalid};
  if (kind == EventKind::other) return Error{kEventKindInvalid};
  return execute(kInsertEvent, {decimal(at), storedWord(kind), detail});
}

Status HistoryStore::prune(long long days, double now) {
  // A non-finite cut-off is bound as text, which compares above every stored time: it would
  // delete the whole history.
  if (!std::isfinite(now)) return Error{kPruneTimeInvalid};
  days = std::clamp(days, 1LL, 365LL);
  const std::string cutoff = decimal(now - static_cast<double>(days) * 86400.0);
  if (Status s = execute("DELETE FROM samples WHERE time<?", {cutoff}); !s) return s;
  if (Status s = trim("samples", 200000,
                      "DELETE FROM samples WHERE id < (SELECT id FROM samples ORDER BY id DESC "
                      "LIMIT 1 OFFSET 199999)");
      !s) {
    return s;
  }
  if (Status s = execute("DELETE FROM events WHERE time<?", {cutoff}); !s) return s;
  return trim("events", 20000,
              "DELETE FROM events WHERE id < (SELECT id FROM events ORDER BY id DESC LIMIT 1 "
              "OFFSET 19999)");
}

Status HistoryStore::trim(std::string_view table, long long keep, std::string_view literal) {
  const std::lock_guard guard(lock_);
  // Ids are unique integers, so a table whose ids span at most `keep` values holds at most
  // `keep` rows and the literal statement would delete nothing. The span costs two index
  // lookups; the literal statement's sub-select steps through `keep` rows of the table.
  const std::string span = "SELECT (SELECT MIN(id) FROM " + std::string(table) +
                           "),(SELECT MAX(id) FROM " + std::string(table) + ")";
  std::optional<long long> lowest, highest;
  const Status read = forEachRow(span, {}, [&](sqlite3_stmt* row) {
    if (sqlite3_column_type(row, 0) == SQLITE_INTEGER) lowest = sqlite3_column_int64(row, 0);
    if (sqlite3_column_type(row, 1) == SQLITE_INTEGER) highest = sqlite3_column_int64(row, 1);
  });
  if (!read) return read;
  if (!lowest || !highest) return {};  // empty table
  long long firstKept = 0;
  if (!__builtin_sub_overflow(*highest, keep, &firstKept) && firstKept < *lowest) return {};
  return execute(literal);
}

Status HistoryStore::clear() {
  const std::lock_guard guard(lock_);
  Transaction transaction(*this);
  if (Status begun = transaction.begin(); !begun) return begun;
  if (Status deleted = executeAll({"DELETE FROM samples", "DELETE FROM events"}); !deleted) {
    return deleted;
  }
  if (Status committed = transaction.commit(); !committed) return committed;
  // Reported although the deletion stands: the file did not give its space back.
  return executeAll({"PRAGMA wal_checkpoint(TRUNCATE)", "VACUUM"});
}

Expected<std::vector<Event>> HistoryStore::events(double since, long long limit) {
  std::vector<Event> events;
  events.reserve(static_cast<std::size_t>(std::clamp(limit, 0LL, 1000LL)));
  // The upper bound leaves out times that are not finite numbers (a damaged or foreign row): a
  // text compares above every number and would pass for the newest event.
  const Status read = forEachRow(
      "SELECT id,time,kind,detail FROM events WHERE time>=? AND time<=1e308 ORDER BY time DESC,"
      "id DESC LIMIT ?",
      {decimal(since), decimal(limit)}, [&](sqlite3_stmt* row) {
        std::string word = leadingText(row, 2);
        const EventKind kind = eventKindFromWord(word);
        if (kind != EventKind::other) word.clear();
        events.push_back(Event{sqlite3_column_int64(row, 0), sqlite3_column_double(row, 1), kind,
                               leadingText(row, 3), std::move(word)});
      });
  if (!read) return read.failure();
  return events;
}

Expected<std::vector<Reading>> HistoryStore::samples(double since, double until, long long points) {
  points = std::max(points, 1LL);
  double width = (until - since) / static_cast<double>(points);
  if (!(width >= 1.0)) width = 1.0;

  std::vector<Reading> readings;
  // Each row is decoded straight from SQLite's copy of the text, while the statement holds it.
  const Status read = forEachRow(
      "SELECT json FROM samples WHERE id IN (SELECT MAX(id) FROM samples WHERE time>=? AND "
      "time<=? GROUP BY CAST(time/? AS INTEGER),segment) ORDER BY time",
      {decimal(since), decimal(until), decimal(width)}, [&](sqlite3_stmt* row) {
        if (sqlite3_column_type(row, 0) == SQLITE_NULL) return;
        if (auto reading = decodeReading(columnText(row, 0))) {  // unreadable rows are skipped
          readings.push_back(std::move(*reading));
        }
      });
  if (!read) return read.failure();
  return readings;
}

Expected<std::map<ThermalState, double>> HistoryStore::durations(double since, double until) {
  std::map<ThermalState, double> seconds;
  const Status read = forEachRow(
      "WITH intervals AS (SELECT state,time,segment,LEAD(time) OVER(ORDER BY time,id) next,"
      "LEAD(segment) OVER(ORDER BY time,id) nextsegment FROM samples WHERE time>=? AND time<=?) "
      "SELECT state,SUM(CASE WHEN nextsegment=segment AND next-time BETWEEN 0 AND 90 THEN "
      "next-time ELSE 0 END) seconds FROM intervals GROUP BY state",
      {decimal(since), decimal(until)}, [&](sqlite3_stmt* row) {
        // A state stored as anything but an integer (a damaged or foreign row) is no state.
        if (sqlite3_column_type(row, 0) != SQLITE_INTEGER) return;
        const auto state = thermalStateFromRaw(sqlite3_column_int64(row, 0));
        if (state) seconds[*state] = sqlite3_column_double(row, 1);
      });
  if (!read) return read.failure();
  return seconds;
}

Expected<std::vector<Episode>> HistoryStore::episodes(double since, long long limit) {
  EpisodeBuilder builder;
  simdjson::dom::parser parser;
  // Rows come in the order the durations query gives them intervals; times that are not finite
  // numbers (a damaged or foreign row) are left out as by events.
  const Status read = forEachRow(
      "SELECT time,state,segment,json FROM samples WHERE time>=? AND time<=1e308 ORDER BY time,id",
      {decimal(since)}, [&](sqlite3_stmt* row) {
        std::optional<ThermalState> state;
        if (sqlite3_column_type(row, 1) == SQLITE_INTEGER) {
          state = thermalStateFromRaw(sqlite3_column_int64(row, 1));
        }
        builder.add(sqlite3_column_double(row, 0), state, columnText(row, 2),
                    [row, &parser]() -> std::optional<EpisodeBuilder::Details> {
                      return episodeDetails(parser, columnText(row, 3));
                    });
      });
  if (!read) return read.failure();
  return builder.finish(limit);
}

Expected<ExportSummary> HistoryStore::exportTo(const fs::path& file) {
  const std::lock_guard guard(lock_);
  const fs::path database = databaseFile();
  Expected<std::unique_ptr<ExportFile>> opened = ExportFile::open(file, {database, opened_});
  if (!opened) return opened.failure();
  ExportFile& out = **opened;
  // The writer checks and writes the samples on a thread of its own while this one reads them;
  // it is joined before it ends, on every way out of here.
  ExportWriter writer([&out](std::string_view bytes) {
    out.write(bytes);
    return out.good();
  });

  std::optional<std::string> device;
  Status read = forEachRow("SELECT json FROM device", {}, [&](sqlite3_stmt* row) {
    if (!device) device = optionalText(row, 0);
  });
  if (!read) return read.failure();
  writer.device(device);
  // Each stored text is copied as soon as it is read: memory does not grow with the history.
  // Once a write has failed, the rest is only stepped through.
  read = forEachRow("SELECT json FROM samples ORDER BY time,id", {}, [&](sqlite3_stmt* row) {
    if (writer.good()) writer.sample(optionalText(row, 0));
  });
  if (!read) return read.failure();
  // The columns in the order of the document's keys; a NULL column has no member.
  read = forEachRow("SELECT detail,id,kind,time FROM events ORDER BY time,id", {},
                    [&](sqlite3_stmt* row) {
                      if (!writer.good()) return;
                      ExportWriter::Row members;
                      for (int i = 0; i < 4; ++i) {
                        if (const auto text = optionalText(row, i)) {
                          members.emplace_hint(members.end(), sqlite3_column_name(row, i), *text);
                        }
                      }
                      writer.event(members);
                    });
  if (!read) return read.failure();
  writer.finish();
  if (Status committed = out.commit(); !committed) return committed.failure();
  return ExportSummary{writer.samples(), writer.skipped()};
}

}  // namespace tempyra
