#include "platform/named_mapping.h"
#include "platform/named_mutex.h"
#include "test_support.h"

#include <chrono>
#include <csignal>
#include <optional>
#include <sched.h>

namespace platform {
namespace {

using test::ScopedNamespace;

// Increments a counter in shared memory with a gap between read and write, so
// that without exclusion the two processes lose updates.
int increment_under_lock(int times) {
  auto mutex = NamedMutex::open("MUTEX_TEST");
  auto mapping = NamedMapping::open("FILEMAP_COUNTER", 64);
  auto view = mapping.view();
  auto* counter = reinterpret_cast<volatile int*>(view.data());
  for (int i = 0; i < times; ++i) {
    NamedMutexLock lock(mutex);
    if (mutex.owner_pid() != ::getpid()) return 1;
    int value = *counter;
    if (i % 16 == 0) ::sched_yield();
    *counter = value + 1;
  }
  return 0;
}

TEST(NamedMutex, ExcludesAcrossProcesses) {
  ScopedNamespace ns;
  auto mutex = NamedMutex::create_or_open("MUTEX_TEST");
  auto mapping = NamedMapping::create_or_open("FILEMAP_COUNTER", 64);
  EXPECT_EQ(mutex.owner_pid(), 0);
  pid_t child = test::start_child([] { return increment_under_lock(2000); });
  EXPECT_EQ(increment_under_lock(2000), 0);
  EXPECT_EQ(test::wait_child(child), 0);
  EXPECT_EQ(*reinterpret_cast<int*>(mapping.view().data()), 4000);
  EXPECT_EQ(mutex.owner_pid(), 0);
}

TEST(NamedMutex, DeadOwnersLockIsHandedOver) {
  ScopedNamespace ns;
  auto mutex = NamedMutex::create_or_open("MUTEX_TEST");
  test::ReadyPipe ready;
  pid_t child = test::start_child([&] {
    auto own = NamedMutex::open("MUTEX_TEST");
    own.lock();
    ready.signal();
    ::pause();
    return 0;
  });
  ASSERT_TRUE(ready.wait());
  EXPECT_EQ(mutex.owner_pid(), child);
  ::kill(child, SIGKILL);
  EXPECT_EQ(test::wait_child(child), 128 + SIGKILL);

  EXPECT_TRUE(mutex.lock());
  EXPECT_EQ(mutex.owner_pid(), ::getpid());
  mutex.unlock();
  EXPECT_FALSE(mutex.lock());
  mutex.unlock();
}

TEST(NamedMutex, ClosingWhileLockedReleasesTheLockForTheOthers) {
  ScopedNamespace ns;
  auto mutex = NamedMutex::create_or_open("MUTEX_TEST");
  pid_t child = test::start_child([] {
    {
      auto held = NamedMutex::open("MUTEX_TEST");
      held.lock();
    }  // closed while locked: must neither crash nor keep the lock
    auto again = NamedMutex::open("MUTEX_TEST");
    NamedMutexLock lock(again);
    return lock.abandoned() ? 2 : 0;
  });
  EXPECT_EQ(test::wait_child(child), 0);
  NamedMutexLock lock(mutex);
  EXPECT_FALSE(lock.abandoned());
}

}  // namespace
// A timed lock gives up while another process holds the lock, takes it once
// free, and is told of an owner that died holding it.
TEST(NamedMutex, TimedLockGivesUpTakesAndHearsOfADeadOwner) {
  ScopedNamespace ns;
  auto mutex = NamedMutex::create_or_open("MUTEX_TEST");
  test::ReadyPipe ready;
  pid_t child = test::start_child([&] {
    auto own = NamedMutex::open("MUTEX_TEST");
    own.lock();
    ready.signal();
    ::pause();
    return 0;
  });
  ASSERT_TRUE(ready.wait());
  const auto before = std::chrono::steady_clock::now();
  EXPECT_FALSE(mutex.try_lock_for(std::chrono::milliseconds(60)).has_value());
  EXPECT_GE(std::chrono::steady_clock::now() - before, std::chrono::milliseconds(50));
  ::kill(child, SIGKILL);
  EXPECT_EQ(test::wait_child(child), 128 + SIGKILL);
  EXPECT_EQ(mutex.try_lock_for(std::chrono::milliseconds(1000)), std::optional<bool>(true));
  EXPECT_EQ(mutex.owner_pid(), ::getpid());
  mutex.unlock();
  EXPECT_EQ(mutex.try_lock_for(std::chrono::milliseconds(0)), std::optional<bool>(false));
  mutex.unlock();
}

}  // namespace platform
