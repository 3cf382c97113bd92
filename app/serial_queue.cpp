#include "app/serial_queue.h"

#include <pthread.h>

namespace tempyra {

SerialQueue::SerialQueue(std::string label) : label_(std::move(label)) {
  worker_ = std::thread([this] { run(); });
  // Thread names are limited to 15 characters; the tail of the label is the telling part.
  std::string name = label_.size() > 15 ? label_.substr(label_.size() - 15) : label_;
  pthread_setname_np(worker_.native_handle(), name.c_str());
}

SerialQueue::~SerialQueue() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  wake_.notify_all();
  worker_.join();
}

void SerialQueue::async(std::function<void()> job) {
  {
    std::lock_guard lock(mutex_);
    jobs_.push_back(std::move(job));
  }
  wake_.notify_one();
}

void SerialQueue::sync(const std::function<void()>& job) {
  std::mutex m;
  std::condition_variable cv;
  bool finished = false;
  async([&] {
    job();
    std::lock_guard lock(m);
    finished = true;
    cv.notify_one();
  });
  std::unique_lock lock(m);
  cv.wait(lock, [&] { return finished; });
}

void SerialQueue::drain() {
  std::unique_lock lock(mutex_);
  done_.wait(lock, [this] { return jobs_.empty() && !running_; });
}

bool SerialQueue::idle() const {
  std::lock_guard lock(mutex_);
  return jobs_.empty() && !running_;
}

void SerialQueue::run() {
  std::unique_lock lock(mutex_);
  for (;;) {
    wake_.wait(lock, [this] { return stopping_ || !jobs_.empty(); });
    if (jobs_.empty()) return;  // stopping, and everything submitted has run
    std::function<void()> job = std::move(jobs_.front());
    jobs_.pop_front();
    running_ = true;
    lock.unlock();
    job();
    job = nullptr;  // release captured values on the worker, before reporting idle
    lock.lock();
    running_ = false;
    if (jobs_.empty()) done_.notify_all();
  }
}

}  // namespace tempyra
