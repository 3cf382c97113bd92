#include "app/history_feed.h"

#include <QPointer>

#include <malloc.h>

#include <algorithm>

#include "providers/demo_provider.h"

namespace tempyra {

namespace {

constexpr double kDemoSeedWindow = 7200;
constexpr long long kHistoryPoints = 1500;
constexpr long long kHistoryEvents = 500;
constexpr long long kHistoryEpisodes = 200;

// Writes the demonstration history into a store that holds nothing of the last two hours. The
// first failure stops it (what was written stays) and is answered.
std::optional<std::string> seedDemoHistory(HistoryStore& store, const DeviceProfile& profile,
                                           double now) {
  const auto recent = store.samples(now - kDemoSeedWindow, now, kHistoryPoints);
  if (!recent) return recent.error();
  if (!recent->empty()) return std::nullopt;
  const DemoSeed seed = demoHistorySeed(now);
  for (const Reading& r : seed.readings) {
    if (const Status recorded = store.record(r, profile); !recorded) return recorded.error();
  }
  for (const SeedEvent& e : seed.events) {
    if (const Status written = store.event(e.at, e.kind, e.detail); !written) {
      return written.error();
    }
  }
  return std::nullopt;
}

// One reload's answer, read in three statements.
struct HistoryLoad {
  Readings history;
  Events events;
  Durations durations;
  // Read only while the History page shows them; an error's text when that read failed.
  std::optional<Expected<Episodes>> episodes;
};

// Readings are told apart by their time: a reload that answers the same times answers the
// same readings.
bool sameState(const HistoryState& a, const HistoryState& b) {
  const auto sameTime = [](const Reading& x, const Reading& y) { return x.id() == y.id(); };
  return std::equal(a.readings.begin(), a.readings.end(), b.readings.begin(), b.readings.end(),
                    sameTime) &&
         a.events == b.events && a.durations == b.durations && a.episodes == b.episodes &&
         a.problem == b.problem;
}

}  // namespace

HistoryFeed::HistoryFeed(SerialQueue& queue, std::shared_ptr<SamplingEngine> engine,
                         std::shared_ptr<Relay> relay, std::shared_ptr<Clock> clock)
    : queue_(queue),
      engine_(std::move(engine)),
      relay_(std::move(relay)),
      clock_(std::move(clock)) {}

HistoryFeed::OpenProblem HistoryFeed::openOnQueue(SamplingEngine& engine,
                                                  const std::filesystem::path& path, bool demo,
                                                  const DeviceProfile& profile, double now) {
  auto store = HistoryStore::open(path);
  if (!store) {
    return Problem{ProblemKind::historyUnavailable, store.error()};
  }
  engine.store = std::move(*store);
  if (demo) {
    auto seedError = seedDemoHistory(*engine.store, profile, now);
    // The seed's readings are gone once written: the heap they took goes back to the system
    // instead of staying with this thread for the rest of the run.
    malloc_trim(0);
    if (seedError) return Problem{ProblemKind::demoSeedFailed, *seedError};
  }
  if (auto notice = engine.store->notice()) return Problem{ProblemKind::reported, *notice};
  return std::nullopt;
}

void HistoryFeed::opened(bool hasStore, OpenProblem problem) {
  hasStore_ = hasStore;
  state_.problem = std::move(problem);
}

double HistoryFeed::since() const { return clock_->now() - rangeSpan(range_); }

void HistoryFeed::setView(bool historyPageSelected, HistoryRange range) {
  historyPageSelected_ = historyPageSelected;
  range_ = range;
}

void HistoryFeed::load() {
  // Episodes cost more than the time per state over a long range and only the History page
  // lists them, so the cadence that keeps the charts current leaves them out while it is hidden.
  auto load = [clock = clock_, from = since(),
               withEpisodes = historyShown()](HistoryStore& store) -> Expected<HistoryLoad> {
    auto history = store.samples(from, clock->now(), kHistoryPoints);
    if (!history) return history.failure();
    auto events = store.events(from, kHistoryEvents);
    if (!events) return events.failure();
    auto durations = store.durations(from, clock->now());
    if (!durations) return durations.failure();
    HistoryLoad load{std::move(*history), std::move(*events), std::move(*durations), {}};
    if (withEpisodes) load.episodes = store.episodes(from, kHistoryEpisodes);
    return load;
  };
  withStore(storeProblem(), std::move(load), [this](HistoryLoad load) {
    HistoryState next{std::move(load.history), std::move(load.events),
                      std::move(load.durations), state_.episodes, state_.problem};
    if (load.episodes && !*load.episodes) {
      next.problem = Problem{ProblemKind::reported, load.episodes->error()};
    } else if (load.episodes) {
      next.episodes = std::move(**load.episodes);
    }
    publish(std::move(next));
  });
}

void HistoryFeed::clear() {
  withStore(
      userProblem(), [](HistoryStore& store) { return store.clear(); }, [this] { load(); });
}

void HistoryFeed::exportHistory(FileChooser* chooser) {
  if (!hasStore_) {
    emit failed(state_.problem.value_or(Problem{ProblemKind::historyMissing, {}}));
    return;
  }
  if (!chooser) return;
  QPointer<HistoryFeed> self(this);
  chooser->chooseSaveFile(
      "Thermal history.json", "application/json",
      [self](std::optional<std::filesystem::path> file) {
        if (!self || !file || file->empty()) return;
        self->withStore(
            self->userProblem(),
            [file = *file](HistoryStore& store) { return store.exportTo(file); },
            [f = self.data()](ExportSummary summary) {
              if (summary.skipped == 0) return;
              emit f->failed({ProblemKind::exportSkipped, {}, summary.skipped});
            });
      });
}

void HistoryFeed::prune(long long days) {
  withStore(
      storeProblem(),
      [days, t = clock_->now()](HistoryStore& store) { return store.prune(days, t); }, [] {});
}

void HistoryFeed::saveFailed(const std::string& error) {
  setProblem({ProblemKind::saveFailed, error});
}

void HistoryFeed::setProblem(const Problem& problem) {
  HistoryState next = state_;
  next.problem = problem;
  publish(std::move(next));
}

void HistoryFeed::publish(HistoryState next) {
  if (sameState(next, state_)) return;
  state_ = std::move(next);
  emit changed();
}

}  // namespace tempyra
