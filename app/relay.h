#pragma once
// The hop back to a receiver's thread: calls from any thread (the sampling queue, a
// notification service's completion) run later on the thread of one receiver object, as queued
// calls, and are dropped once the receiver is gone.
#include <QObject>

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>

namespace tempyra {

// Shared by the receiver and by every piece of work that may answer it; the receiver closes it
// first thing in its destructor.
//
// The one lock: `mutex_` keeps the receiver pointer from being cleared (the receiver's thread,
// in its destructor) while another thread queues a call to it. It is held only for queueing,
// never while a call runs, so it never waits on the receiver's event loop.
class Relay : public std::enable_shared_from_this<Relay> {
 public:
  static std::shared_ptr<Relay> create(QObject* receiver);
  Relay(const Relay&) = delete;
  Relay& operator=(const Relay&) = delete;

  // Any thread. Queues `call` for the receiver's thread. Dropped after close(); a call still
  // queued when the receiver is destroyed is discarded with it.
  void post(std::function<void()> call);
  // REQUIRES: the receiver's thread, before the receiver is destroyed.
  void close();
  // Calls queued and not yet run (for tests that wait until everything was delivered).
  int pending() const { return pending_; }

 private:
  explicit Relay(QObject* receiver) : receiver_(receiver) {}

  std::mutex mutex_;
  QObject* receiver_;  // nullptr once closed
  std::atomic<int> pending_{0};
};

}  // namespace tempyra
