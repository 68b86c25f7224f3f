// A bare auto-reset event on a futex word in memory shared by two processes:
// the floor the channel's own events are measured against. Two waiting styles:
// sleep at once, or spin briefly first (the fastest that two CPUs allow).
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>

namespace bench {

class FutexEvent {
 public:
  // Makes the event signalled; one wait consumes it. Setting a set event
  // changes nothing.
  void set() noexcept;
  // Waits until signalled, sleeping at once. Throws when nothing comes within
  // the guard, so a benchmark whose peer died ends instead of hanging.
  void wait(std::chrono::milliseconds guard = kDefaultGuard);
  // Spins on the word for up to spin_limit before sleeping.
  void wait_spinning(std::chrono::microseconds spin_limit, std::chrono::milliseconds guard = kDefaultGuard);
  // Consumes a pending signal without waiting; true when there was one.
  bool try_consume() noexcept;

  static constexpr std::chrono::milliseconds kDefaultGuard{5000};

 private:
  void sleep_until_set(std::chrono::milliseconds guard);
  std::atomic<std::uint32_t> state_{0};
};

static_assert(std::atomic<std::uint32_t>::is_always_lock_free);
static_assert(sizeof(FutexEvent) == sizeof(std::uint32_t));

}  // namespace bench
