#include "probe/probe.h"

#include <chrono>
#include <cstdio>
#include <memory>
#include <optional>
#include <random>
#include <system_error>

#include "core/model_json.h"
#include "core/open_metrics_text.h"
#include "history/history_store.h"
#include "probe/nvml_timing.h"
#include "providers/demo_provider.h"
#include "providers/live_provider.h"

namespace tempyra {
namespace {

namespace fs = std::filesystem;

double now() {
  using namespace std::chrono;
  return duration<double>(system_clock::now().time_since_epoch()).count();
}

// A fresh random identifier in the canonical upper-case UUID form, one per run.
std::string newSegment() {
  std::random_device device;
  std::mt19937_64 random(((std::uint64_t)device() << 32) ^ device());
  unsigned char bytes[16];
  for (auto& b : bytes) b = static_cast<unsigned char>(random());
  bytes[6] = (bytes[6] & 0x0F) | 0x40;  // version 4
  bytes[8] = (bytes[8] & 0x3F) | 0x80;  // variant 1
  char text[37];
  std::snprintf(text, sizeof text,
                "%02X%02X%02X%02X-%02X%02X-%02X%02X-%02X%02X-%02X%02X%02X%02X%02X%02X", bytes[0],
                bytes[1], bytes[2], bytes[3], bytes[4], bytes[5], bytes[6], bytes[7], bytes[8],
                bytes[9], bytes[10], bytes[11], bytes[12], bytes[13], bytes[14], bytes[15]);
  return text;
}

int printEpisodes(HistoryStore& store, double since, std::ostream& out, std::ostream& err) {
  const Expected<std::vector<Episode>> episodes = store.episodes(since, -1);
  if (!episodes) {
    err << "tempyra-probe: " << episodes.error() << '\n';
    return 1;
  }
  int status = 0;
  for (const Episode& e : *episodes) {
    if (const auto line = encodeJson(e)) {
      out << *line << '\n';
    } else {
      err << "tempyra-probe: episode could not be encoded: " << line.error() << '\n';
      status = 1;
    }
  }
  if (!out.flush()) {
    err << "tempyra-probe: could not write the output\n";
    return 1;
  }
  return status;
}

}  // namespace

int runProbe(const ProbeOptions& options, std::ostream& out, std::ostream& err,
             const std::function<bool(double)>& wait) {
  std::unique_ptr<HistoryStore> store;
  if (options.history) {
    // Queries only read: a history that is not there is not made.
    const auto access =
        options.episodes ? HistoryStore::Access::readOnly : HistoryStore::Access::readWrite;
    std::error_code ec;
    if (options.episodes && !fs::exists(fs::symlink_status(*options.history, ec))) {
      err << "tempyra-probe: no history at " << options.history->string() << '\n';
      return 1;
    }
    auto opened = HistoryStore::open(*options.history, access);
    if (!opened) {
      err << "tempyra-probe: " << opened.error() << '\n';
      return 1;
    }
    store = std::move(*opened);
    if (store->notice()) err << "tempyra-probe: " << *store->notice() << '\n';
    if (options.episodes) return printEpisodes(*store, options.since, out, err);
  }

  std::unique_ptr<SensorProvider> provider;
  if (options.demo)
    provider = std::make_unique<DemoProvider>();
  else
    provider = makeLiveProvider(options.root);

  const std::string segment = newSegment();
  int status = 0;
  for (int i = 0; i < options.samples; ++i) {
    if (i > 0 && !wait(options.interval)) break;
    Reading reading = provider->sample(now(), segment, options.processes);
    DeviceProfile profile = provider->profile();
    if (options.openMetrics) {
      // Only the last reading: the earlier ones set the baselines of the interval measures.
      if (i + 1 == options.samples) out << openMetricsText(reading);
    } else {
      if (i == 0) {
        // The profile settles on the first sample (hardware capabilities): print it after it.
        auto json = encodeJson(profile);
        out << (json ? *json : "{}") << '\n';
      }
      auto json = encodeJson(reading);
      if (!json) {
        err << "tempyra-probe: reading could not be encoded: " << json.error() << '\n';
        status = 1;
        continue;
      }
      out << *json << '\n';
    }
    if (store) {
      if (const Status recorded = store->record(reading, profile); !recorded) {
        err << "tempyra-probe: " << recorded.error() << '\n';
        status = 1;
      }
    }
  }
  if (!options.demo && !options.openMetrics) reportNvmlTiming(options.root, err);
  // Lines that never arrived (a full disk, a closed pipe) are a failed run, not an empty one.
  if (!out.flush()) {
    err << "tempyra-probe: could not write the output\n";
    status = 1;
  }

  if (store && options.exportFile) {
    const Expected<ExportSummary> summary = store->exportTo(*options.exportFile);
    if (!summary) {
      err << "tempyra-probe: " << summary.error() << '\n';
      return 1;
    }
    if (summary->skipped > 0) {
      err << "tempyra-probe: the export left out " << summary->skipped
          << " stored record(s) that were not JSON\n";
    }
  }
  return status;
}

}  // namespace tempyra
