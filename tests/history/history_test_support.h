#pragma once
// Shared helpers of the history tests: a scratch directory, readings, and a second, bare
// SQLite connection to set up and inspect database files behind the store's back.
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>

#include "core/expected.h"
#include "core/reading.h"
#include "history/history_store.h"

namespace tempyra::testing {

inline Reading makeReading(double at, ThermalState state, std::string segment,
                           PowerContext power = {PowerSource::ac, 80, true, {}}) {
  Reading r;
  r.timestamp = at;
  r.state = state;
  r.cpu = Metric(MetricKind::cpuLoad, "CPU load", 12.5, "%", "host ticks / interval", at, "Measured");
  r.sensors = {Metric(MetricKind::cpuTemperature, "CPU temperature", 61, "°C", "hwmon/coretemp", at, "Measured")};
  r.power = std::move(power);
  r.activity = {{42, "compiler", 97.5}};
  r.segment = std::move(segment);
  return r;
}

// The value of a call that must succeed; a failure ends the test with its message.
template <class T>
T ok(Expected<T> result) {
  if (!result) throw std::runtime_error(result.error());
  return std::move(*result);
}
inline void ok(const Status& status) {
  if (!status) throw std::runtime_error(status.error());
}
// "ok", or the error's message.
template <class T>
std::string outcome(const Expected<T>& result) {
  return result ? "ok" : result.error();
}

inline std::unique_ptr<HistoryStore> openStore(const std::filesystem::path& file) {
  return ok(HistoryStore::open(file));
}

// A bare connection (rollback-journal mode unless the file says otherwise).
class RawDb {
 public:
  explicit RawDb(const std::filesystem::path& file) {
    EXPECT_EQ(sqlite3_open(file.c_str(), &db_), SQLITE_OK);
  }
  ~RawDb() { sqlite3_close(db_); }

  void exec(const std::string& sql) {
    char* error = nullptr;
    EXPECT_EQ(sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &error), SQLITE_OK)
        << sql << ": " << (error ? error : "");
    sqlite3_free(error);
  }
  // First column of the first row as text; nothing for no row or NULL.
  std::optional<std::string> scalar(const std::string& sql) {
    sqlite3_stmt* s = nullptr;
    EXPECT_EQ(sqlite3_prepare_v2(db_, sql.c_str(), -1, &s, nullptr), SQLITE_OK) << sql;
    std::optional<std::string> value;
    if (sqlite3_step(s) == SQLITE_ROW && sqlite3_column_type(s, 0) != SQLITE_NULL) {
      value = reinterpret_cast<const char*>(sqlite3_column_text(s, 0));
    }
    sqlite3_finalize(s);
    return value;
  }
  long long count(const std::string& table) {
    return std::stoll(scalar("SELECT COUNT(*) FROM " + table).value_or("-1"));
  }

 private:
  sqlite3* db_ = nullptr;
};

inline std::optional<std::string> slurp(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) return std::nullopt;
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// A checksum of the file's bytes; nothing when it does not exist.
inline std::optional<std::size_t> checksum(const std::filesystem::path& file) {
  const auto bytes = slurp(file);
  return bytes ? std::optional(std::hash<std::string>{}(*bytes)) : std::nullopt;
}

// Exit status of a forked child that runs `body` (-1 when it was killed). The child never returns
// into the test framework.
inline int inChild(const std::function<int()>& body) {
  const pid_t pid = ::fork();
  if (pid == 0) {
    int status = 100;
    try {
      status = body();
    } catch (const std::exception& e) {
      std::fprintf(stderr, "child: %s\n", e.what());
    }
    ::_exit(status);
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Status a child returns when the machine lacks what the test needs (privileges, a mount).
constexpr int kUnavailable = 77;

class HistoryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    dir_ = std::filesystem::temp_directory_path() /
           ("tempyra-history-" + std::to_string(::getpid()) + "-" + info->name());
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }
  std::filesystem::path path(const std::string& name = "history.sqlite") const {
    return dir_ / name;
  }
  // The scratch folder's entries with the checksums of its regular files, except for the
  // shared-memory index, which every read of an open history changes.
  std::map<std::filesystem::path, std::optional<std::size_t>> folder() const {
    std::map<std::filesystem::path, std::optional<std::size_t>> sums;
    for (const auto& entry : std::filesystem::directory_iterator(dir_)) {
      if (entry.path().native().ends_with("-shm")) continue;
      sums[entry.path()] = entry.is_regular_file() ? checksum(entry.path()) : std::nullopt;
    }
    return sums;
  }

  std::filesystem::path dir_;
};

}  // namespace tempyra::testing
