// Stored rows made from the input, as a damaged or foreign history could hold them, met by every
// operation that reads stored records: the chart's samples, the per-state durations, the heat
// episodes, recording (which decodes the last sample) and the export. None may crash or fail on
// a row's content; what they return holds only finite values, and the export parses.
#include <fuzzer/FuzzedDataProvider.h>
#include <sqlite3.h>
#include <stdlib.h>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <memory>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>

#include "core/model_json.h"
#include "history/history_store.h"

namespace {

namespace fs = std::filesystem;

struct Fixture {
  fs::path dir;
  std::unique_ptr<tempyra::HistoryStore> store;
  sqlite3* raw = nullptr;
  sqlite3_stmt* insert = nullptr;

  Fixture() {
    std::string pattern =
        ((fs::is_directory("/dev/shm") ? fs::path("/dev/shm") : fs::temp_directory_path()) /
         "tempyra-fuzz-XXXXXX")
            .string();
    if (::mkdtemp(pattern.data()) == nullptr) __builtin_trap();
    dir = pattern;
    auto opened = tempyra::HistoryStore::open(dir / "history.sqlite");
    if (!opened) __builtin_trap();
    store = std::move(*opened);
    sqlite3_open((dir / "history.sqlite").c_str(), &raw);
    sqlite3_busy_timeout(raw, 3000);
    sqlite3_prepare_v2(raw, "INSERT INTO samples(time,state,segment,json) VALUES(?,?,?,?)", -1,
                       &insert, nullptr);
  }
  ~Fixture() {
    sqlite3_finalize(insert);
    sqlite3_close(raw);
    store.reset();
    fs::remove_all(dir);
  }
};

tempyra::Reading reading(double at) {
  tempyra::Reading r;
  r.timestamp = at;
  r.state = tempyra::ThermalState::fair;
  r.cpu = tempyra::Metric(tempyra::MetricKind::cpuLoad, "CPU load", 12.5, "%", "host ticks", at, "Measured");
  r.power = {tempyra::PowerSource::ac, 80, true, {}};
  r.segment = "fuzz";
  return r;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static Fixture fixture;
  FuzzedDataProvider input(data, size);
  sqlite3_exec(fixture.raw, "DELETE FROM samples; DELETE FROM events", nullptr, nullptr, nullptr);
  // Rows with times and states as they usually are or as odd texts, and any text as the stored
  // reading; the last row's text is the rest of the input, so a stored reading is a useful seed.
  static const char* const kOddTimes[] = {"", "soon", "1e999", "-0", "0x10", " 12"};
  const int rows = input.ConsumeIntegralInRange(1, 4);
  for (int i = 0; i < rows; ++i) {
    const int time = input.ConsumeIntegralInRange(0, 7);
    if (time < 6) {
      sqlite3_bind_text(fixture.insert, 1, kOddTimes[time], -1, SQLITE_STATIC);
    } else {
      sqlite3_bind_double(fixture.insert, 1, input.ConsumeFloatingPointInRange(-1e6, 1e6));
    }
    sqlite3_bind_int(fixture.insert, 2, input.ConsumeIntegralInRange(-1, 5));
    const char segment[] = {static_cast<char>('a' + input.ConsumeIntegralInRange(0, 2)), 0};
    sqlite3_bind_text(fixture.insert, 3, segment, -1, SQLITE_TRANSIENT);
    const std::string json = i + 1 < rows ? input.ConsumeRandomLengthString(1024)
                                          : input.ConsumeRemainingBytesAsString();
    sqlite3_bind_text(fixture.insert, 4, json.data(), static_cast<int>(json.size()),
                      SQLITE_TRANSIENT);
    sqlite3_step(fixture.insert);
    sqlite3_reset(fixture.insert);
  }

  tempyra::HistoryStore& store = *fixture.store;
  const auto samples = store.samples(-1e7, 1e7, 100);
  const auto durations = store.durations(-1e7, 1e7);
  const auto episodes = store.episodes(-1e7, -1);
  if (!samples || !durations || !episodes || !store.record(reading(2e6), {})) __builtin_trap();
  for (const tempyra::Reading& r : *samples) {
    if (!tempyra::encodeJson(r)) __builtin_trap();
  }
  for (const auto& [state, seconds] : *durations) {
    if (!std::isfinite(seconds) || seconds < 0) __builtin_trap();
  }
  for (const tempyra::Episode& e : *episodes) {
    if (!std::isfinite(e.duration()) || e.duration() < 0) __builtin_trap();
    if (e.meanCpuLoad && !std::isfinite(*e.meanCpuLoad)) __builtin_trap();
    for (const auto& p : e.processes) {
      if (!std::isfinite(p.cpuSeconds) || !std::isfinite(p.share)) __builtin_trap();
    }
  }
  const fs::path out = fixture.dir / "export.json";
  const auto exported = store.exportTo(out);
  if (!exported) __builtin_trap();
  const tempyra::ExportSummary summary = *exported;
  std::ifstream in(out, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  const auto parsed = nlohmann::json::parse(text.str(), nullptr, false);
  if (parsed.is_discarded() || summary.samples + summary.skipped != rows + 1 ||
      parsed.at("samples").size() != static_cast<std::size_t>(summary.samples)) {
    __builtin_trap();
  }
  return 0;
}
