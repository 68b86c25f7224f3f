#include "platform/error.h"
#include "platform/named_event.h"
#include "platform/process.h"
#include "test_support.h"

#include <chrono>
#include <csignal>
#include <thread>

namespace platform {
namespace {

using namespace std::chrono_literals;
using test::ScopedNamespace;

TEST(NamedEvent, AutoResetSemantics) {
  ScopedNamespace ns;
  auto event = NamedEvent::create_or_open("EVENT_TEST");
  EXPECT_EQ(event.wait(0ms), WaitResult::timeout);
  // A set with no waiter stays set for exactly one wait.
  event.set();
  EXPECT_EQ(event.wait(0ms), WaitResult::signaled);
  EXPECT_EQ(event.wait(0ms), WaitResult::timeout);
  // Setting a set event changes nothing.
  event.set();
  event.set();
  EXPECT_EQ(event.wait(), WaitResult::signaled);
  EXPECT_EQ(event.wait(20ms), WaitResult::timeout);
  EXPECT_THROW(NamedEvent::open("EVENT_NONE"), NotFound);
}

TEST(NamedEvent, InterruptWakesOnlyAnInterruptibleWaitAndNeverSetsTheEvent) {
  ScopedNamespace ns;
  auto event = NamedEvent::create_or_open("EVENT_INTERRUPT");
  event.interrupt();
  // A plain wait neither takes the interrupt nor spins on it.
  EXPECT_EQ(event.wait(20ms), WaitResult::timeout);
  EXPECT_EQ(event.wait_interruptible(0ms), WaitResult::interrupted);
  EXPECT_EQ(event.wait_interruptible(0ms), WaitResult::timeout) << "an interrupt is taken once";
  // A set wins over a pending interrupt, and both survive each other.
  event.interrupt();
  event.set();
  EXPECT_EQ(event.wait_interruptible(0ms), WaitResult::signaled);
  EXPECT_EQ(event.wait_interruptible(0ms), WaitResult::interrupted);
  // Another thread's interrupt ends a wait that is already asleep.
  std::thread waker([&] {
    std::this_thread::sleep_for(50ms);
    event.interrupt();
  });
  EXPECT_EQ(event.wait_interruptible(10s), WaitResult::interrupted);
  waker.join();
}

TEST(NamedEvent, CreatorIsTheProcessThatMadeIt) {
  ScopedNamespace ns;
  test::ReadyPipe ready;
  pid_t child = test::start_child([&] {
    auto event = NamedEvent::create_or_open("EVENT_OWNED");
    ready.signal();
    return event.wait(10s) == WaitResult::signaled ? 0 : 1;
  });
  ASSERT_TRUE(ready.wait());
  auto event = NamedEvent::open("EVENT_OWNED");
  EXPECT_EQ(event.creator_pid(), child);
  event.set();
  EXPECT_EQ(test::wait_child(child), 0);
}

TEST(NamedEvent, PingPongAcrossProcesses) {
  ScopedNamespace ns;
  constexpr int kRounds = 3000;
  auto ping = NamedEvent::create_or_open("EVENT_PING");
  auto pong = NamedEvent::create_or_open("EVENT_PONG");
  pid_t child = test::start_child([] {
    auto ping = NamedEvent::open("EVENT_PING");
    auto pong = NamedEvent::open("EVENT_PONG");
    for (int i = 0; i < kRounds; ++i) {
      if (ping.wait(10s) != WaitResult::signaled) return 1;
      pong.set();
    }
    return 0;
  });
  ProcessWatch watch(child);
  int answered = 0;
  for (int i = 0; i < kRounds; ++i) {
    ping.set();
    if (pong.wait(10s, watch) != WaitResult::signaled) break;
    ++answered;
  }
  EXPECT_EQ(answered, kRounds);
  EXPECT_EQ(test::wait_child(child), 0);
}

TEST(NamedEvent, WaitEndsWhenTheWatchedPeerIsKilled) {
  ScopedNamespace ns;
  auto event = NamedEvent::create_or_open("EVENT_PEER");
  pid_t child = test::start_child([] {
    ::usleep(100 * 1000);
    ::raise(SIGKILL);
    return 0;
  });
  ProcessWatch watch(child);
  ASSERT_TRUE(watch.valid());
  EXPECT_EQ(event.wait(watch), WaitResult::peer_ended);
  EXPECT_TRUE(watch.ended());
  EXPECT_EQ(test::wait_child(child), 128 + SIGKILL);
  // A signal that is waiting wins over the peer's end.
  event.set();
  EXPECT_EQ(event.wait(watch), WaitResult::signaled);
}

TEST(ProcessWatch, InvalidWatchNeverEndsAWait) {
  ScopedNamespace ns;
  auto event = NamedEvent::create_or_open("EVENT_NOBODY");
  ProcessWatch nobody(0);
  EXPECT_FALSE(nobody.valid());
  EXPECT_FALSE(nobody.ended());
  EXPECT_EQ(event.wait(30ms, nobody), WaitResult::timeout);

  ProcessWatch self(::getpid());
  EXPECT_TRUE(self.valid());
  EXPECT_FALSE(self.ended());

  pid_t gone = test::start_child([] { return 0; });
  test::wait_child(gone);
  EXPECT_TRUE(ProcessWatch(gone).ended());
}

}  // namespace
}  // namespace platform
