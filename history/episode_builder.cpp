#include "history/episode_builder.h"

#include <algorithm>
#include <cmath>

namespace tempyra {

namespace {

// The longest interval between two readings that still counts as observed time.
constexpr double kLongestInterval = 90;
// An episode shorter than this at its highest state is marked as brief.
constexpr double kBriefSeconds = 60;
constexpr std::size_t kProcessesShown = 3;

bool atFairOrAbove(std::optional<ThermalState> state) {
  return state == ThermalState::fair || state == ThermalState::serious ||
         state == ThermalState::critical;
}

void raise(std::optional<Episode::Peak>& peak, std::optional<double> value, double at) {
  if (value && std::isfinite(*value) && (!peak || *value > peak->value)) {
    peak = Episode::Peak{*value, at};
  }
}

}  // namespace

void EpisodeBuilder::add(double time, std::optional<ThermalState> state, std::string_view segment,
                         const Decode& decode) {
  std::optional<std::optional<Details>> decoded;
  const auto details = [&]() -> const std::optional<Details>& {
    if (!decoded) decoded = decode();
    return *decoded;
  };
  const double interval = time - previousTime_;
  const bool linked = any_ && segment == previousSegment_ && interval >= 0 &&
                      interval <= kLongestInterval;
  const bool hot = atFairOrAbove(state);

  if (open_) {
    if (linked) {
      open_->seconds[previousState_] += interval;
      open_->end = time;
      if (const auto& d = details()) {
        if (d->cpuLoad && std::isfinite(*d->cpuLoad)) {
          loadSum_ += *d->cpuLoad * interval;
          loadWeight_ += interval;
        }
        for (const auto& [name, share] : d->activity) {
          if (share > 0 && std::isfinite(share)) cpuSeconds_[name] += share / 100 * interval;
        }
      }
    }
    if (!linked || !hot) close();
  }
  if (hot) {
    if (!open_) {
      open_.emplace();
      open_->start = open_->end = time;
      open_->highest = *state;
    }
    open_->highest = std::max(open_->highest, *state);
    open_->seconds.try_emplace(*state, 0.0);
    if (const auto& d = details()) {
      raise(open_->cpuTemperature, d->cpuTemperature, time);
      raise(open_->gpuTemperature, d->gpuTemperature, time);
      auto& sources = open_->powerSources;
      if (!d->powerSource.empty() &&
          std::find(sources.begin(), sources.end(), d->powerSource) == sources.end()) {
        sources.push_back(d->powerSource);
      }
    }
    previousState_ = *state;
  }
  any_ = true;
  previousTime_ = time;
  previousSegment_.assign(segment);
}

void EpisodeBuilder::close() {
  Episode& e = *open_;
  e.brief = e.seconds[e.highest] < kBriefSeconds;
  // A damaged record's absurd figures can overflow a sum: such a sum is left out, not shown.
  if (loadWeight_ > 0 && std::isfinite(loadSum_)) e.meanCpuLoad = loadSum_ / loadWeight_;
  std::vector<Episode::Process> processes;
  for (const auto& [name, seconds] : cpuSeconds_) {
    const double share = e.duration() > 0 ? seconds / e.duration() * 100 : 0;
    if (std::isfinite(seconds) && std::isfinite(share)) {
      processes.push_back({name, seconds, share});
    }
  }
  const auto shown = std::min(processes.size(), kProcessesShown);
  // Equal CPU-seconds keep the order of names, so the choice does not vary between loads.
  std::partial_sort(processes.begin(), processes.begin() + static_cast<std::ptrdiff_t>(shown),
                    processes.end(), [](const auto& a, const auto& b) {
                      return a.cpuSeconds != b.cpuSeconds ? a.cpuSeconds > b.cpuSeconds
                                                          : a.name < b.name;
                    });
  processes.resize(shown);
  e.processes = std::move(processes);
  done_.push_back(std::move(e));
  open_.reset();
  cpuSeconds_.clear();
  loadSum_ = loadWeight_ = 0;
}

std::vector<Episode> EpisodeBuilder::finish(long long limit) {
  if (open_) close();
  std::vector<Episode> episodes = std::move(done_);
  done_.clear();
  std::reverse(episodes.begin(), episodes.end());
  if (limit >= 0 && static_cast<std::size_t>(limit) < episodes.size()) {
    episodes.resize(static_cast<std::size_t>(limit));
  }
  return episodes;
}

}  // namespace tempyra
