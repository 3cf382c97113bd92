#pragma once
// The monitor's round-trips to the history store: opening it (and seeding the demonstration),
// the reload of what the dashboard shows, clearing, exporting and retention.
//
// Threads: every public member is called on the main thread and every published field changes
// only there. The store calls run on the sampling queue, after the work already queued, and
// their answers come back through the relay.
#include <QObject>

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <type_traits>

#include "app/clock.h"
#include "app/file_chooser.h"
#include "app/history_range.h"
#include "app/monitor_surface.h"
#include "app/problem.h"
#include "app/relay.h"
#include "app/sampling_engine.h"
#include "app/serial_queue.h"
#include "core/device_profile.h"

namespace tempyra {

class HistoryFeed : public QObject {
  Q_OBJECT

 public:
  // REQUIRES: `queue` outlives the feed; `relay` delivers to the main thread.
  HistoryFeed(SerialQueue& queue, std::shared_ptr<SamplingEngine> engine,
              std::shared_ptr<Relay> relay, std::shared_ptr<Clock> clock);

  // What opening the store said, for the history's problem; nothing when all went well.
  using OpenProblem = std::optional<Problem>;
  // Opens the store at `path` into `engine` and, for the demonstration, writes its history when
  // the store holds nothing of the last two hours.
  // REQUIRES: called on the sampling queue.
  static OpenProblem openOnQueue(SamplingEngine& engine, const std::filesystem::path& path,
                                 bool demo, const DeviceProfile& profile, double now);
  // Publishes the open's outcome (no signal: the monitor is still being built).
  void opened(bool hasStore, OpenProblem problem);

  // What the last load answered, and the store's last problem.
  const HistoryState& state() const { return state_; }
  // The History page is the selected page of an open dashboard window.
  bool historyShown() const { return historyPageSelected_ && windowOpen_; }
  // Now minus the span of the range the interface shows (seconds since 1970).
  double since() const;

  void setView(bool historyPageSelected, HistoryRange range);
  void setWindowOpen(bool open) { windowOpen_ = open; }
  // Reloads history, events and durations (and episodes while the History page is shown) for the
  // range. A failing episodes query leaves the rest published and reports its own problem.
  void load();
  // Deletes the whole history, then reloads.
  void clear();
  // Asks `chooser` (if any) for a location and writes the export document there.
  void exportHistory(FileChooser* chooser);
  // Drops what is older than `days` days.
  void prune(long long days);
  // A reading could not be saved; monitoring goes on.
  void saveFailed(const std::string& error);

  // Runs `call(store)` on the sampling queue and hands its answer back on the main thread: a
  // value to `done`, an error's text to `report`. Without a store nothing runs and `done` gets
  // the empty answer: no rows, success.
  template <class Report, class Call, class Done>
  void withStore(Report report, Call call, Done done);
  // Reports a failure of the store's own work.
  auto storeProblem() {
    return [this](const std::string& text) { setProblem({ProblemKind::reported, text}); };
  }
  // Reports a failure of what the user asked for.
  auto userProblem() {
    return [this](const std::string& text) {
      emit failed({ProblemKind::reported, text});
    };
  }

 signals:
  // The state changed: once per load, failure or open.
  void changed();
  // What the user asked for failed: the monitor's problem.
  void failed(const Problem& problem);

 private:
  void setProblem(const Problem& problem);
  // Replaces the state and says so, when it differs.
  void publish(HistoryState next);

  SerialQueue& queue_;
  std::shared_ptr<SamplingEngine> engine_;
  std::shared_ptr<Relay> relay_;
  std::shared_ptr<Clock> clock_;
  bool hasStore_ = false;
  HistoryState state_;
  bool historyPageSelected_ = false;
  bool windowOpen_ = false;
  HistoryRange range_ = HistoryRange::hour;
};

template <class Report, class Call, class Done>
void HistoryFeed::withStore(Report report, Call call, Done done) {
  using Answer = std::invoke_result_t<Call&, HistoryStore&>;  // a Status or an Expected value
  auto work = [engine = engine_, call = std::move(call)]() mutable -> Answer {
    if (engine->store) return call(*engine->store);
    if constexpr (std::is_same_v<Answer, Status>) {
      return {};
    } else {
      return typename Answer::value_type{};
    }
  };
  queue_.asyncThen(std::move(work), relay_,
                   [report = std::move(report), done = std::move(done)](Answer answer) mutable {
                     if (!answer) {
                       report(answer.error());
                     } else if constexpr (std::is_same_v<Answer, Status>) {
                       done();
                     } else {
                       done(std::move(*answer));
                     }
                   });
}

}  // namespace tempyra
