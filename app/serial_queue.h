#pragma once
// A private serial work queue: one worker thread runs submitted jobs one at a time, in the
// order they were submitted.
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

#include "app/relay.h"

namespace tempyra {

class SerialQueue {
 public:
  explicit SerialQueue(std::string label);
  // Finishes every job already submitted, then joins the worker.
  ~SerialQueue();
  SerialQueue(const SerialQueue&) = delete;
  SerialQueue& operator=(const SerialQueue&) = delete;

  const std::string& label() const { return label_; }
  // Any thread. Jobs must not throw.
  void async(std::function<void()> job);
  // Any thread. Runs `work` on the worker, then hands its result to `done` on the relay's
  // receiver thread; nothing arrives once the receiver is gone. Neither may throw.
  template <class Work, class Done>
  void asyncThen(Work work, std::shared_ptr<Relay> relay, Done done) {
    async([work = std::move(work), relay = std::move(relay), done = std::move(done)]() mutable {
      relay->post([result = work(), done = std::move(done)]() mutable { done(std::move(result)); });
    });
  }
  // Runs job on the worker and waits for it. REQUIRES: not called from the worker.
  void sync(const std::function<void()>& job);
  // Waits until every job submitted so far has run. REQUIRES: not called from the worker.
  void drain();
  // True when no job is queued or running.
  bool idle() const;

 private:
  void run();

  const std::string label_;
  // Guards the job list and the two flags; the worker never holds it while a job runs.
  mutable std::mutex mutex_;
  std::condition_variable wake_;
  std::condition_variable done_;
  std::deque<std::function<void()>> jobs_;
  bool running_ = false;
  bool stopping_ = false;
  std::thread worker_;
};

}  // namespace tempyra
