// The hop from the sampling queue back to the receiver's thread.
#include <gtest/gtest.h>

#include <QCoreApplication>

#include <thread>

#include "app/serial_queue.h"

namespace tempyra {
namespace {

TEST(RelayTest, ResultsRunOnTheReceiversThreadUntilItCloses) {
  QObject receiver;
  auto relay = Relay::create(&receiver);
  SerialQueue queue("test");
  std::vector<std::pair<int, std::thread::id>> delivered;
  auto work = [] { return std::make_pair(7, std::this_thread::get_id()); };
  auto done = [&](std::pair<int, std::thread::id> r) {
    delivered.push_back({r.first, std::this_thread::get_id()});
    EXPECT_NE(r.second, std::this_thread::get_id());  // the work ran on the worker
  };
  queue.asyncThen(work, relay, done);
  queue.drain();
  QCoreApplication::sendPostedEvents(&receiver);
  ASSERT_EQ(delivered.size(), 1u);
  EXPECT_EQ(delivered[0].second, std::this_thread::get_id());

  relay->close();
  queue.asyncThen(work, relay, done);
  queue.drain();
  QCoreApplication::sendPostedEvents(&receiver);
  EXPECT_EQ(delivered.size(), 1u);
  EXPECT_EQ(relay->pending(), 0);
}

TEST(RelayTest, CallsStillQueuedDieWithTheReceiver) {
  auto receiver = std::make_unique<QObject>();
  auto relay = Relay::create(receiver.get());
  bool ran = false;
  relay->post([&] { ran = true; });
  receiver.reset();
  QCoreApplication::sendPostedEvents();
  EXPECT_FALSE(ran);
}

}  // namespace
}  // namespace tempyra
