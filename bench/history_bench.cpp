// History store figures on a realistic full history: 200,000 readings of about 2 KB (13 sensor
// metrics, 8 processes), 30 s apart, a new segment every ~500 readings, and 20,000 events.
// Each store operation is printed beside its floor, the same SQL stepped through the bare C API
// on the same database without reading or decoding the rows, and the ratio.
//
// The generated databases are cached (TEMPYRA_BENCH_CACHE, default /tmp/tempyra-history-bench)
// and copied before use, so reruns skip the generation.
#include <fcntl.h>
#include <sqlite3.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "core/model_json.h"
#include "history/history_store.h"

namespace fs = std::filesystem;
using tempyra::HistoryStore;
using tempyra::PowerSource;
using tempyra::Reading;

namespace {

constexpr double kNewest = 1796000000;  // time of the newest generated reading
constexpr double kStep = 30;
constexpr int kVersion = 2;  // bump when the generated content changes

void check(int rc, sqlite3* db, const char* what) {
  if (rc != SQLITE_OK && rc != SQLITE_ROW && rc != SQLITE_DONE) {
    std::fprintf(stderr, "%s: %s\n", what, sqlite3_errmsg(db));
    std::exit(1);
  }
}

void exec(sqlite3* db, const std::string& sql) {
  check(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr), db, sql.c_str());
}

// The value of a store call; a failure ends the program with the store's message.
template <class T>
T must(tempyra::Expected<T> result, const char* what) {
  if (!result) {
    std::fprintf(stderr, "%s: %s\n", what, result.error().c_str());
    std::exit(1);
  }
  return std::move(*result);
}
void must(const tempyra::Status& status, const char* what) {
  if (!status) {
    std::fprintf(stderr, "%s: %s\n", what, status.error().c_str());
    std::exit(1);
  }
}
std::unique_ptr<HistoryStore> openStore(const fs::path& file) {
  return must(HistoryStore::open(file), "open");
}

class Generator {
 public:
  Reading reading(double at) {
    if (left_-- <= 0) {
      left_ = std::uniform_int_distribution<int>(400, 600)(rng_);
      char id[40];
      std::snprintf(id, sizeof id, "%08X-%04X-4%03X-A%03X-%012llX", word(), word() & 0xFFFF,
                    word() & 0xFFF, word() & 0xFFF,
                    static_cast<unsigned long long>(rng_()) & 0xFFFFFFFFFFFFULL);
      segment_ = id;
    }
    if (uniform() < 0.02) state_ = static_cast<int>(uniform() * 4);
    Reading r;
    r.timestamp = at;
    r.state = static_cast<tempyra::ThermalState>(state_);
    r.cpu = {tempyra::MetricKind::cpuLoad, "CPU load", round2(uniform() * 100), "%",
             "/proc/stat · interval average", at, "Measured"};
    static const char* const kSensors[] = {"CPU package", "CPU core 0", "CPU core 1", "CPU core 2",
                                           "CPU core 3",  "GPU die",    "Memory",     "SSD",
                                           "Battery",     "Palm rest",  "Ambient"};
    for (const char* name : kSensors) {
      r.sensors.push_back({tempyra::MetricKind::other, std::string(name) + " temperature",
                           round2(35 + uniform() * 50), "°C", "hwmon · coretemp · temp_input",
                           at - uniform(), "Measured"});
    }
    for (int fan = 1; fan <= 2; ++fan) {
      r.sensors.push_back({tempyra::MetricKind::fan, "Fan " + std::to_string(fan),
                           std::round(1200 + uniform() * 4000), "RPM",
                           "applesmc · F" + std::to_string(fan) + "Ac", at, "Measured"});
    }
    if (uniform() < 0.01) charging_ = !charging_;
    r.power = {PowerSource::ac, std::round(40 + uniform() * 60), charging_, {}};
    for (int i = 0; i < 8; ++i) {
      r.activity.push_back({1000 + static_cast<int>(uniform() * 30000),
                            "process-" + std::to_string(i), round2(uniform() * 150)});
    }
    r.segment = segment_;
    return r;
  }

 private:
  double uniform() { return std::uniform_real_distribution<double>(0, 1)(rng_); }
  unsigned word() { return static_cast<unsigned>(rng_()); }
  static double round2(double v) { return std::round(v * 100) / 100; }

  std::mt19937_64 rng_{20261206};
  std::string segment_;
  int left_ = 0;
  int state_ = 0;
  bool charging_ = true;
};

// Fills an empty history file directly (one transaction, no sync): the store's own recording
// would sync every reading. `pageSize` 0 keeps the store's choice for new files.
void generate(const fs::path& file, int samples, int events, int pageSize) {
  fs::remove(file);
  if (pageSize == 0) {
    openStore(file);  // schema and page size as the store creates them
  }
  sqlite3* db = nullptr;
  check(sqlite3_open(file.c_str(), &db), db, "open");
  if (pageSize != 0) {
    exec(db, "PRAGMA page_size=" + std::to_string(pageSize));
    exec(db, "PRAGMA journal_mode=WAL");
    openStore(file);
  }
  exec(db, "PRAGMA synchronous=OFF");
  exec(db, "BEGIN");
  sqlite3_stmt* insert = nullptr;
  check(sqlite3_prepare_v2(db, "INSERT INTO samples(time,state,segment,json) VALUES(?,?,?,?)", -1,
                           &insert, nullptr),
        db, "prepare");
  Generator generator;
  for (int i = 0; i < samples; ++i) {
    const Reading r = generator.reading(kNewest - (samples - 1 - i) * kStep);
    const std::string json = *tempyra::encodeJson(r);
    sqlite3_bind_double(insert, 1, r.timestamp);
    sqlite3_bind_int(insert, 2, static_cast<int>(r.state));
    sqlite3_bind_text(insert, 3, r.segment.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_text(insert, 4, json.data(), static_cast<int>(json.size()), SQLITE_TRANSIENT);
    check(sqlite3_step(insert), db, "insert sample");
    sqlite3_reset(insert);
  }
  sqlite3_finalize(insert);
  check(sqlite3_prepare_v2(db, "INSERT INTO events(time,kind,detail) VALUES(?,?,?)", -1, &insert,
                           nullptr),
        db, "prepare");
  static const char* const kKinds[][2] = {{"Thermal", "Serious · state transition"},
                                          {"Power", "AC power · battery 87% · charging yes"},
                                          {"Monitoring", "Sampling gap · new segment"}};
  for (int i = 0; i < events; ++i) {
    const double at = kNewest - (static_cast<double>(events - 1 - i) / events) * samples * kStep;
    sqlite3_bind_double(insert, 1, at);
    sqlite3_bind_text(insert, 2, kKinds[i % 3][0], -1, SQLITE_STATIC);
    sqlite3_bind_text(insert, 3, kKinds[i % 3][1], -1, SQLITE_STATIC);
    check(sqlite3_step(insert), db, "insert event");
    sqlite3_reset(insert);
  }
  sqlite3_finalize(insert);
  exec(db, R"(INSERT OR REPLACE INTO device VALUES(1,'{"model":"Bench","architecture":"x86_64",)"
           R"("os":"Linux","fans":"2 fans","capabilities":{}}'))");
  exec(db, "COMMIT");
  exec(db, "PRAGMA wal_checkpoint(TRUNCATE)");
  sqlite3_close(db);
}

fs::path cached(const fs::path& dir, int samples, int events, int pageSize) {
  const fs::path file =
      dir / ("history-v" + std::to_string(kVersion) + "-" + std::to_string(samples) + "-p" +
             std::to_string(pageSize) + ".sqlite");
  const fs::path done = file.native() + ".done";
  if (!fs::exists(done)) {
    const auto start = std::chrono::steady_clock::now();
    generate(file, samples, events, pageSize);
    std::printf("generate_%d: %.1f s\n", samples,
                std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    std::fclose(std::fopen(done.c_str(), "w"));
  }
  return file;
}

fs::path workCopy(const fs::path& source, const fs::path& dir, const std::string& name) {
  const fs::path copy = dir / name;
  for (const char* suffix : {"", "-wal", "-shm"}) fs::remove(copy.native() + suffix);
  fs::copy_file(source, copy);
  return copy;
}

double seconds(const std::function<void()>& run) {
  const auto start = std::chrono::steady_clock::now();
  run();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double median(int runs, const std::function<void()>& run) {
  run();  // warm the page cache
  std::vector<double> times;
  for (int i = 0; i < runs; ++i) times.push_back(seconds(run));
  std::sort(times.begin(), times.end());
  return times[times.size() / 2];
}

// Medians of an operation and its floor, run alternately so that load from other processes
// falls on both alike.
std::pair<double, double> medians(int runs, const std::function<void()>& store,
                                  const std::function<void()>& floor) {
  store();
  floor();
  std::vector<double> a, b;
  for (int i = 0; i < runs; ++i) {
    a.push_back(seconds(store));
    b.push_back(seconds(floor));
  }
  std::sort(a.begin(), a.end());
  std::sort(b.begin(), b.end());
  return {a[a.size() / 2], b[b.size() / 2]};
}

// The same statement with text parameters, stepped to the end without reading any column.
void stepBare(sqlite3* db, const char* sql, const std::vector<std::string>& arguments,
              bool readText = false) {
  sqlite3_stmt* s = nullptr;
  check(sqlite3_prepare_v2(db, sql, -1, &s, nullptr), db, sql);
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    sqlite3_bind_text(s, static_cast<int>(i + 1), arguments[i].c_str(), -1, SQLITE_TRANSIENT);
  }
  int rc = 0;
  while ((rc = sqlite3_step(s)) == SQLITE_ROW) {
    for (int i = 0; readText && i < sqlite3_column_count(s); ++i) sqlite3_column_text(s, i);
  }
  check(rc, db, sql);
  sqlite3_finalize(s);
}

std::string text(double v) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.17g", v);
  return buf;
}

void compare(const char* name, std::pair<double, double> times, double limit = 0) {
  const auto [store, floor] = times;
  std::printf("%s: %.3f ms (floor %.3f ms, ratio %.2f%s)\n", name, store * 1e3, floor * 1e3,
              store / floor, limit > 0 ? (store / floor <= limit ? ", within" : ", OVER") : "");
}

// Peak resident memory (VmHWM) of a fresh process that opens `file` and, when asked, exports
// it, in KiB. The process reports its own figure: rusage of a forked child would include the
// parent's memory.
long peakKiB(const char* self, const fs::path& file, const fs::path& out, bool exportIt) {
  const std::string command = std::string("'") + self + "' " + (exportIt ? "--export" : "--open") +
                              " '" + file.string() + "' '" + out.string() + "'";
  FILE* child = popen(command.c_str(), "r");
  long kib = -1;
  if (child == nullptr || std::fscanf(child, "%ld", &kib) != 1) kib = -1;
  if (child != nullptr && pclose(child) != 0) kib = -1;
  return kib;
}

long ownPeakKiB() {
  FILE* status = std::fopen("/proc/self/status", "r");
  char line[256];
  long kib = -1;
  while (status != nullptr && std::fgets(line, sizeof line, status) != nullptr) {
    if (std::sscanf(line, "VmHWM: %ld", &kib) == 1) break;
  }
  if (status != nullptr) std::fclose(status);
  return kib;
}

// Counts the bytes that SQLite hands to the file system, per kind of file, and the largest size
// the write-ahead log reaches: a wrapper around the default VFS that forwards every call.
// `skipSync` drops the syncs, which change how long a recording takes but not what it writes.
struct WriteCounter {
  static inline sqlite3_vfs* real = nullptr;
  static inline sqlite3_vfs vfs{};
  static inline sqlite3_io_methods methods{};
  static inline long long database = 0, log = 0, journal = 0, logSize = 0, logPeak = 0;
  static inline bool skipSync = false;

  struct File {
    sqlite3_file base;
    int kind;  // SQLITE_OPEN_MAIN_DB, SQLITE_OPEN_WAL, SQLITE_OPEN_MAIN_JOURNAL or other
    sqlite3_file* inner() { return reinterpret_cast<sqlite3_file*>(this + 1); }
  };
  static File* self(sqlite3_file* f) { return reinterpret_cast<File*>(f); }
  static sqlite3_file* in(sqlite3_file* f) { return self(f)->inner(); }

  static void install() {
    real = sqlite3_vfs_find(nullptr);
    vfs = *real;
    vfs.zName = "write-counter";
    vfs.szOsFile = static_cast<int>(sizeof(File)) + real->szOsFile;
    vfs.xOpen = [](sqlite3_vfs*, sqlite3_filename name, sqlite3_file* f, int flags, int* out) {
      File* file = self(f);
      file->base.pMethods = nullptr;
      file->kind = flags & (SQLITE_OPEN_MAIN_DB | SQLITE_OPEN_WAL | SQLITE_OPEN_MAIN_JOURNAL);
      const int rc = real->xOpen(real, name, file->inner(), flags, out);
      if (file->inner()->pMethods != nullptr) {
        methods.iVersion = file->inner()->pMethods->iVersion;
        file->base.pMethods = &methods;
      }
      return rc;
    };
    // Every method forwards to the wrapped file; writes, truncation and syncs are observed.
    methods.xClose = [](sqlite3_file* f) { return in(f)->pMethods->xClose(in(f)); };
    methods.xRead = [](sqlite3_file* f, void* b, int n, sqlite3_int64 o) {
      return in(f)->pMethods->xRead(in(f), b, n, o);
    };
    methods.xWrite = [](sqlite3_file* f, const void* b, int n, sqlite3_int64 o) {
      switch (self(f)->kind) {
        case SQLITE_OPEN_MAIN_DB:
          database += n;
          break;
        case SQLITE_OPEN_WAL:
          log += n;
          logSize = std::max(logSize, o + n);
          logPeak = std::max(logPeak, logSize);
          break;
        case SQLITE_OPEN_MAIN_JOURNAL:
          journal += n;
          break;
      }
      return in(f)->pMethods->xWrite(in(f), b, n, o);
    };
    methods.xTruncate = [](sqlite3_file* f, sqlite3_int64 size) {
      if (self(f)->kind == SQLITE_OPEN_WAL) logSize = size;
      return in(f)->pMethods->xTruncate(in(f), size);
    };
    methods.xSync = [](sqlite3_file* f, int flags) {
      return skipSync ? SQLITE_OK : in(f)->pMethods->xSync(in(f), flags);
    };
    methods.xFileSize = [](sqlite3_file* f, sqlite3_int64* size) {
      return in(f)->pMethods->xFileSize(in(f), size);
    };
    methods.xLock = [](sqlite3_file* f, int l) { return in(f)->pMethods->xLock(in(f), l); };
    methods.xUnlock = [](sqlite3_file* f, int l) { return in(f)->pMethods->xUnlock(in(f), l); };
    methods.xCheckReservedLock = [](sqlite3_file* f, int* out) {
      return in(f)->pMethods->xCheckReservedLock(in(f), out);
    };
    methods.xFileControl = [](sqlite3_file* f, int op, void* arg) {
      return in(f)->pMethods->xFileControl(in(f), op, arg);
    };
    methods.xSectorSize = [](sqlite3_file* f) { return in(f)->pMethods->xSectorSize(in(f)); };
    methods.xDeviceCharacteristics = [](sqlite3_file* f) {
      return in(f)->pMethods->xDeviceCharacteristics(in(f));
    };
    methods.xShmMap = [](sqlite3_file* f, int page, int size, int extend, void volatile** p) {
      return in(f)->pMethods->xShmMap(in(f), page, size, extend, p);
    };
    methods.xShmLock = [](sqlite3_file* f, int offset, int n, int flags) {
      return in(f)->pMethods->xShmLock(in(f), offset, n, flags);
    };
    methods.xShmBarrier = [](sqlite3_file* f) { in(f)->pMethods->xShmBarrier(in(f)); };
    methods.xShmUnmap = [](sqlite3_file* f, int del) {
      return in(f)->pMethods->xShmUnmap(in(f), del);
    };
    methods.xFetch = [](sqlite3_file* f, sqlite3_int64 o, int n, void** p) {
      return in(f)->pMethods->xFetch(in(f), o, n, p);
    };
    methods.xUnfetch = [](sqlite3_file* f, sqlite3_int64 o, void* p) {
      return in(f)->pMethods->xUnfetch(in(f), o, p);
    };
    sqlite3_vfs_register(&vfs, 1);
  }
  static void reset() {
    database = log = journal = logPeak = 0;
    logSize = 0;
  }
  static long long total() { return database + log + journal; }
};

// Bytes handed to the file system per recorded reading, recording into a copy of a full
// history as the monitor does (retention every tenth reading; here only the 200,000 bound
// applies, freeing pages that later readings reuse), over several checkpoints of the log and the
// closing. The battery drops one percent every 20 minutes, so power events are as rare as on a
// real machine.
void wear(const fs::path& full, const fs::path& dir, const char* name, const char* goal) {
  static const bool installed = (WriteCounter::install(), true);
  (void)installed;
  WriteCounter::skipSync = true;
  const fs::path file = workCopy(full, dir, "wear.sqlite");
  constexpr int kReadings = 3000;
  WriteCounter::reset();
  {
    const auto store = openStore(file);
    Generator generator;
    for (int i = 0; i < kReadings; ++i) {
      const double at = kNewest + (i + 1) * kStep;
      Reading r = generator.reading(at);
      r.power = {PowerSource::battery, 90.0 - i / 40, false, {}};
      must(store->record(r, {"Bench", "x86_64", "Linux", "2 fans", {}}), "record");
      if ((i + 1) % 10 == 0) must(store->prune(365, at), "prune");
    }
  }
  WriteCounter::skipSync = false;
  std::printf("%s: %.1f KB (database %.1f KB, log %.1f KB, largest log %.1f MB%s)\n", name,
              static_cast<double>(WriteCounter::total()) / kReadings / 1e3,
              static_cast<double>(WriteCounter::database) / kReadings / 1e3,
              static_cast<double>(WriteCounter::log) / kReadings / 1e3,
              static_cast<double>(WriteCounter::logPeak) / 1e6, goal);
  for (const char* suffix : {"", "-wal", "-shm"}) fs::remove(file.native() + suffix);
}

const char* const kSamplesSql =
    "SELECT json FROM samples WHERE id IN (SELECT MAX(id) FROM samples WHERE time>=? AND "
    "time<=? GROUP BY CAST(time/? AS INTEGER),segment) ORDER BY time";
const char* const kDurationsSql =
    "WITH intervals AS (SELECT state,time,segment,LEAD(time) OVER(ORDER BY time,id) next,"
    "LEAD(segment) OVER(ORDER BY time,id) nextsegment FROM samples WHERE time>=? AND time<=?) "
    "SELECT state,SUM(CASE WHEN nextsegment=segment AND next-time BETWEEN 0 AND 90 THEN "
    "next-time ELSE 0 END) seconds FROM intervals GROUP BY state";
const char* const kEventsSql =
    "SELECT id,time,kind,detail FROM events WHERE time>=? AND time<=1e308 ORDER BY time DESC,"
    "id DESC LIMIT ?";

void queries(HistoryStore& store, sqlite3* bare, const char* prefix, double span, int runs) {
  const double since = kNewest - span;
  const std::string w = text(std::max(1.0, span / 1500));
  const auto load = [&] { must(store.samples(since, kNewest, 1500), "samples"); };
  const auto floor = [&] { stepBare(bare, kSamplesSql, {text(since), text(kNewest), w}); };
  floor();
  const double cold = seconds(load);  // the first load of a range after another one
  const auto times = medians(runs, load, floor);
  char name[64];
  std::snprintf(name, sizeof name, "%s_samples_1500", prefix);
  compare(name, times, span >= 30 * 86400 ? 1.25 : 0);
  std::snprintf(name, sizeof name, "%s_samples_1500_first_load", prefix);
  compare(name, {cold, times.second}, span >= 30 * 86400 ? 1.25 : 0);
}

// The export beside floors that write as many bytes and flush them as the export does (it is
// synced before it replaces its target): the sqlite3 shell printing the stored samples plus a
// sync of its output, and cat of a file as large as the export plus a sync. The measures run in
// turn, `rounds` times, so that load from other processes falls on all of them alike; each
// figure is the median of its rounds.
void exportFigures(HistoryStore& store, const fs::path& db, const fs::path& dir, const char* self,
                   int rounds) {
  const fs::path out = dir / "export.json";
  const fs::path catOut = dir / "cat.json";
  const fs::path shellOut = dir / "shell.txt";
  const auto flushed = [](const std::string& command, const fs::path& written) {
    return [command, written] {
      if (std::system(command.c_str()) != 0) std::fprintf(stderr, "%s failed\n", command.c_str());
      if (written.empty()) return;
      const int fd = ::open(written.c_str(), O_RDONLY | O_CLOEXEC);
      if (fd < 0 || ::fsync(fd) != 0) std::fprintf(stderr, "%s: no sync\n", written.c_str());
      if (fd >= 0) ::close(fd);
    };
  };
  const auto exportRun = [&] { must(store.exportTo(out), "export"); };
  exportRun();  // warms the page cache and makes the file cat copies
  const double bytes = static_cast<double>(fs::file_size(out));
  const auto catRun = flushed("cat '" + out.string() + "' > '" + catOut.string() + "'", catOut);
  const bool haveShell = std::system("command -v sqlite3 >/dev/null") == 0;
  const std::string shell = "sqlite3 '" + db.string() +
                            "' 'SELECT json FROM samples ORDER BY time,id' > '" +
                            shellOut.string() + "'";
  const auto shellRun = flushed(shell, fs::path());
  const auto shellFlushedRun = flushed(shell, shellOut);
  std::vector<std::function<void()>> runs = {exportRun, catRun};
  if (haveShell) {
    runs.push_back(shellRun);
    runs.push_back(shellFlushedRun);
  }
  std::vector<std::vector<double>> times(runs.size());
  for (const auto& run : runs) run();
  for (int round = 0; round < rounds; ++round) {
    // Each round starts with another measure, so that none always follows the same one.
    for (std::size_t i = 0; i < runs.size(); ++i) {
      const std::size_t which = (i + static_cast<std::size_t>(round)) % runs.size();
      times[which].push_back(seconds(runs[which]));
    }
  }
  std::vector<double> middle;
  for (auto& t : times) {
    std::sort(t.begin(), t.end());
    middle.push_back(t[t.size() / 2]);
  }
  const double exportTime = middle[0], catTime = middle[1];
  if (haveShell) {
    const double shellBytes = static_cast<double>(fs::file_size(shellOut));
    const double shellTime = middle[2], shellFlushed = middle[3];
    std::printf(
        "export_throughput: %.0f MB/s (%.0f MB in %.3f s, median of %d; sqlite3 shell floor "
        "%.0f MB/s, ratio %.2f)\n",
        bytes / exportTime / 1e6, bytes / 1e6, exportTime, rounds, shellBytes / shellTime / 1e6,
        (shellBytes / shellTime) / (bytes / exportTime));
    const double ratio = (bytes / exportTime) / (shellBytes / shellFlushed);
    std::printf(
        "export_vs_shell_plus_flush: %.2fx (shell plus flush %.0f MB/s; goal at least 1.50x, "
        "%s)\n",
        ratio, shellBytes / shellFlushed / 1e6, ratio >= 1.5 ? "within" : "UNDER");
  } else {
    std::printf("export_throughput: %.0f MB/s (no sqlite3 shell for the floor)\n",
                bytes / exportTime / 1e6);
  }
  const double share = catTime / exportTime;
  std::printf(
      "export_vs_cat_plus_flush: %.0f %% (cat plus flush %.0f MB/s; goal at least 50 %%, %s)\n",
      share * 100, bytes / catTime / 1e6, share >= 0.5 ? "within" : "UNDER");
  fs::remove(catOut);
  fs::remove(shellOut);
  const fs::path small = cached(dir, 20000, 20000, 0);
  std::printf("export_peak_rss_20000: %ld KiB (opening alone %ld KiB)\n",
              peakKiB(self, small, out, true), peakKiB(self, small, out, false));
  std::printf("export_peak_rss_200000: %ld KiB (opening alone %ld KiB)\n",
              peakKiB(self, db, out, true), peakKiB(self, db, out, false));
  fs::remove(out);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 4 && (std::string(argv[1]) == "--export" || std::string(argv[1]) == "--open")) {
    const auto store = openStore(argv[2]);
    if (std::string(argv[1]) == "--export") must(store->exportTo(argv[3]), "export");
    std::printf("%ld\n", ownPeakKiB());
    return 0;
  }
  std::setvbuf(stdout, nullptr, _IOLBF, 0);
  const char* env = std::getenv("TEMPYRA_BENCH_CACHE");
  const fs::path dir = env ? env : "/tmp/tempyra-history-bench";
  fs::create_directories(dir);

  const fs::path full = cached(dir, 200000, 20000, 0);
  const fs::path db = workCopy(full, dir, "work.sqlite");
  const auto opened = openStore(db);
  HistoryStore& store = *opened;
  sqlite3* bare = nullptr;
  check(sqlite3_open(db.c_str(), &bare), bare, "open");

  std::printf("history_samples: 200000\nhistory_file_size: %.1f MB\n",
              static_cast<double>(fs::file_size(db)) / 1e6);
  {
    sqlite3_stmt* s = nullptr;
    sqlite3_prepare_v2(bare, "SELECT AVG(LENGTH(json)) FROM samples", -1, &s, nullptr);
    sqlite3_step(s);
    std::printf("reading_json_average: %.0f bytes\n", sqlite3_column_double(s, 0));
    sqlite3_finalize(s);
  }
  // "history_bench export" prints the export's figures alone.
  if (argc == 2 && std::string(argv[1]) == "export") {
    sqlite3_close(bare);
    exportFigures(store, db, dir, argv[0], 7);
    return 0;
  }

  queries(store, bare, "hour", 3600, 51);
  queries(store, bare, "day", 86400, 21);
  queries(store, bare, "week", 7 * 86400, 11);
  queries(store, bare, "month", 30 * 86400, 15);
  std::printf("hour_reload_in_all: %.3f ms (samples, durations and 500 events; limit 5 ms)\n",
              1e3 * median(51, [&] {
                must(store.samples(kNewest - 3600, kNewest, 1500), "samples");
                must(store.durations(kNewest - 3600, kNewest), "durations");
                must(store.events(kNewest - 3600, 500), "events");
              }));
  {
    const double since = kNewest - 30 * 86400;
    compare("month_durations",
            medians(
                9, [&] { must(store.durations(since, kNewest), "durations"); },
                [&] {
                  stepBare(bare, kDurationsSql, {text(since), text(kNewest)});
                }),
            1.1);
    // Episodes run one pass over the range and decode the records of readings in episodes:
    // goal at most twice the time-per-state query on the same range.
    const double durations = median(9, [&] { must(store.durations(since, kNewest), "durations"); });
    const double episodes = median(9, [&] { must(store.episodes(since, -1), "episodes"); });
    std::printf("month_episodes: %.3f ms (durations %.3f ms, ratio %.2f; limit 2.00)\n",
                episodes * 1e3, durations * 1e3, episodes / durations);
    compare("month_events_500",
            medians(
                201, [&] { must(store.events(since, 500), "events"); },
                [&] {
                  stepBare(bare, kEventsSql, {text(since), "500"});
                }),
            1.5);
    compare("month_events_500_floor_reading_text",
            medians(
                201, [&] { must(store.events(since, 500), "events"); },
                [&] {
                  stepBare(bare, kEventsSql, {text(since), "500"}, true);
                }),
            1.5);
  }

  // Retention at the bound with nothing to delete, beside the four literal statements.
  {
    const double prune = median(21, [&] { must(store.prune(365, kNewest), "prune"); });
    const std::string cutoff = text(kNewest - 365 * 86400.0);
    const double literal = median(5, [&] {
      stepBare(bare, "DELETE FROM samples WHERE time<?", {cutoff});
      stepBare(bare,
               "DELETE FROM samples WHERE id < (SELECT id FROM samples ORDER BY id DESC LIMIT 1 "
               "OFFSET 199999)",
               {});
      stepBare(bare, "DELETE FROM events WHERE time<?", {cutoff});
      stepBare(bare,
               "DELETE FROM events WHERE id < (SELECT id FROM events ORDER BY id DESC LIMIT 1 "
               "OFFSET 19999)",
               {});
    });
    std::printf("prune_nothing_to_delete: %.3f ms (literal statements %.3f ms; limit 20 ms)\n",
                prune * 1e3, literal * 1e3);
  }

  exportFigures(store, db, dir, argv[0], 7);

  // Recording one reading into the full store (each one a synced transaction).
  {
    Generator generator;
    std::vector<double> times;
    for (int i = 0; i < 31; ++i) {
      const Reading r = generator.reading(kNewest + (i + 1) * kStep);
      times.push_back(seconds([&] {
        must(store.record(r, {"Bench", "x86_64", "Linux", "2 fans", {}}), "record");
      }));
    }
    std::sort(times.begin(), times.end());
    std::printf("record_median: %.3f ms\n", times[times.size() / 2] * 1e3);
  }
  sqlite3_close(bare);
  // Disk wear: a new history (the store's page size) and one made before 8 KiB pages.
  wear(cached(dir, 200000, 20000, 0), dir, "bytes_written_per_reading",
       "; goal at most 38.0 KB, half of the 76.0 KB measured with 16 KiB pages and the device "
       "row rewritten by every reading");
  wear(cached(dir, 200000, 20000, 16384), dir, "bytes_written_per_reading_16k_pages", "");

  // Page size: file size and the month-sized queries on 20,000 readings per page size.
  for (int pageSize : {4096, 8192, 16384, 32768}) {
    const fs::path file = workCopy(cached(dir, 20000, 2000, pageSize), dir, "sized.sqlite");
    const double bytes = static_cast<double>(fs::file_size(file));
    const auto sized = openStore(file);
    const double since = kNewest - 7 * 86400;
    const double samples =
        median(9, [&] { must(sized->samples(since, kNewest, 1500), "samples"); });
    const double durations =
        median(9, [&] { must(sized->durations(since, kNewest), "durations"); });
    Generator generator;
    std::vector<double> records;
    for (int i = 0; i < 15; ++i) {
      const Reading r = generator.reading(kNewest + (i + 1) * kStep);
      records.push_back(seconds([&] { must(sized->record(r, {}), "record"); }));
    }
    std::sort(records.begin(), records.end());
    std::printf(
        "page_size_%d: %.0f bytes per reading (samples week %.3f ms, durations week "
        "%.3f ms, record median %.3f ms)\n",
        pageSize, bytes / 20000, samples * 1e3, durations * 1e3, records[records.size() / 2] * 1e3);
  }
  for (const char* name : {"work.sqlite", "sized.sqlite"}) {
    for (const char* suffix : {"", "-wal", "-shm"}) fs::remove((dir / name).native() + suffix);
  }
  return 0;
}
