// A lock for the few instructions of handing out and taking back a record.
// Records are asked for from one thread at a time in practice, so the lock is
// almost never contended; a system mutex costs more than the work it guards.
#pragma once

#include <atomic>
#include <thread>

namespace zentrella {

class SpinLock {
 public:
  constexpr SpinLock() noexcept = default;
  SpinLock(const SpinLock&) = delete;
  SpinLock& operator=(const SpinLock&) = delete;

  void lock() noexcept {
    for (int round = 0; locked_.exchange(true, std::memory_order_acquire); ++round) {
      // Another thread holds it for a moment; after a while, let it run.
      while (locked_.load(std::memory_order_relaxed)) {
        if (++round % 64 == 0) std::this_thread::yield();
      }
    }
  }
  void unlock() noexcept { locked_.store(false, std::memory_order_release); }

 private:
  std::atomic<bool> locked_{false};
};

}  // namespace zentrella
