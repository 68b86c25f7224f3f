#include <gtest/gtest.h>

#include <chrono>
#include <stdexcept>
#include <thread>
#include <vector>

#include "platform/message_queue.h"

namespace platform {
namespace {

using namespace std::chrono_literals;

MessageQueue& queue() { return MessageQueue::instance(); }

// A window that records what reaches it and goes with the test.
class RecordingWindow {
 public:
  RecordingWindow()
      : id_(queue().create_window([this](const Message& m) { received.push_back(m); })) {}
  ~RecordingWindow() { queue().destroy_window(id_); }
  WindowId id() const { return id_; }
  std::vector<Message> received;

 private:
  WindowId id_;
};

TEST(MessageQueue, PostsFromAnotherThreadRunOnTheWaitingThread) {
  RecordingWindow window;
  std::thread::id main_thread = std::this_thread::get_id();
  std::vector<std::thread::id> ran_on;
  WindowId checker = queue().create_window([&](const Message&) {
    ran_on.push_back(std::this_thread::get_id());
  });
  constexpr int kCount = 500;
  std::thread poster([&] {
    for (int i = 0; i < kCount; ++i) ASSERT_TRUE(queue().post(window.id(), 1026, i, -i));
    queue().post(checker, 1);
  });
  auto deadline = std::chrono::steady_clock::now() + 10s;
  while ((window.received.size() < kCount || ran_on.empty()) &&
         std::chrono::steady_clock::now() < deadline) {
    queue().wait_and_dispatch(100ms);
  }
  poster.join();
  queue().destroy_window(checker);
  ASSERT_EQ(window.received.size(), static_cast<std::size_t>(kCount));
  for (int i = 0; i < kCount; ++i) {
    EXPECT_EQ(window.received[i].window, window.id());
    EXPECT_EQ(window.received[i].id, 1026u);
    EXPECT_EQ(window.received[i].wparam, static_cast<std::uintptr_t>(i));
    EXPECT_EQ(window.received[i].lparam, -i);
  }
  ASSERT_EQ(ran_on.size(), 1u);
  EXPECT_EQ(ran_on.front(), main_thread);
}

TEST(MessageQueue, WaitWithNothingPostedDispatchesNothing) {
  EXPECT_EQ(queue().wait_and_dispatch(5ms), 0);
  EXPECT_EQ(queue().dispatch_pending(), 0);
}

TEST(MessageQueue, MessagesForDestroyedWindowsAreDropped) {
  RecordingWindow kept;
  WindowId gone = queue().create_window([](const Message&) { FAIL() << "destroyed window ran"; });
  EXPECT_TRUE(queue().post(gone, 1));
  EXPECT_TRUE(queue().post(kept.id(), 2));
  queue().destroy_window(gone);
  EXPECT_FALSE(queue().post(gone, 3));
  EXPECT_FALSE(queue().post(0, 3));
  EXPECT_EQ(queue().dispatch_pending(), 1);
  ASSERT_EQ(kept.received.size(), 1u);
  // A new window never gets the id of a destroyed one.
  RecordingWindow fresh;
  EXPECT_NE(fresh.id(), gone);
}

TEST(MessageQueue, HandlersMayPostAndDestroyWhileDispatching) {
  RecordingWindow victim;
  std::vector<std::uint32_t> seen;
  WindowId self = 0;
  WindowId extra = 0;
  self = queue().create_window([&](const Message& m) {
    seen.push_back(m.id);
    if (m.id == 1) {
      queue().post(self, 2);             // runs in the next dispatch
      queue().destroy_window(victim.id());  // its queued message is dropped
      extra = queue().create_window([&](const Message&) { seen.push_back(99); });
      queue().post(extra, 0);
    }
  });
  queue().post(self, 1);
  queue().post(victim.id(), 5);
  EXPECT_EQ(queue().dispatch_pending(), 1);
  EXPECT_EQ(seen, (std::vector<std::uint32_t>{1}));
  EXPECT_EQ(queue().dispatch_pending(), 2);
  EXPECT_EQ(seen, (std::vector<std::uint32_t>{1, 2, 99}));
  EXPECT_TRUE(victim.received.empty());
  queue().destroy_window(self);
  queue().destroy_window(extra);
}

TEST(MessageQueue, ThrowingHandlerKeepsTheMessagesBehindIt) {
  RecordingWindow window;
  WindowId thrower = queue().create_window([](const Message&) { throw std::runtime_error("x"); });
  queue().post(thrower, 1);
  queue().post(window.id(), 2);
  EXPECT_THROW(queue().dispatch_pending(), std::runtime_error);
  queue().destroy_window(thrower);
  EXPECT_EQ(queue().dispatch_pending(), 1);
  ASSERT_EQ(window.received.size(), 1u);
  EXPECT_EQ(window.received.front().id, 2u);
}

}  // namespace
}  // namespace platform
