#include "futex_event.h"

#include <cerrno>
#include <ctime>
#include <linux/futex.h>
#include <stdexcept>
#include <sys/syscall.h>
#include <unistd.h>

namespace bench {
namespace {

std::uint32_t* word_of(std::atomic<std::uint32_t>& state) {
  return reinterpret_cast<std::uint32_t*>(&state);
}

// Shared (not private) futex ops: the word lives in a mapping of two processes.
long futex(std::uint32_t* word, int op, std::uint32_t value, const timespec* timeout) {
  return syscall(SYS_futex, word, op, value, timeout, nullptr, 0);
}

void cpu_relax() noexcept { __builtin_ia32_pause(); }

}  // namespace

void FutexEvent::set() noexcept {
  if (state_.exchange(1, std::memory_order_acq_rel) == 0) {
    futex(word_of(state_), FUTEX_WAKE, 1, nullptr);
  }
}

bool FutexEvent::try_consume() noexcept {
  return state_.exchange(0, std::memory_order_acq_rel) != 0;
}

void FutexEvent::wait(std::chrono::milliseconds guard) {
  if (!try_consume()) sleep_until_set(guard);
}

void FutexEvent::wait_spinning(std::chrono::microseconds spin_limit, std::chrono::milliseconds guard) {
  const auto until = std::chrono::steady_clock::now() + spin_limit;
  for (unsigned round = 1;; ++round) {
    if (state_.load(std::memory_order_relaxed) != 0 && try_consume()) return;
    cpu_relax();
    if (round % 16 == 0 && std::chrono::steady_clock::now() >= until) break;
  }
  wait(guard);
}

void FutexEvent::sleep_until_set(std::chrono::milliseconds guard) {
  const auto deadline = std::chrono::steady_clock::now() + guard;
  for (;;) {
    const auto left = deadline - std::chrono::steady_clock::now();
    if (left <= std::chrono::nanoseconds::zero()) {
      throw std::runtime_error("futex event: the peer did not answer in time");
    }
    const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(left).count();
    const timespec timeout{static_cast<time_t>(ns / 1'000'000'000), static_cast<long>(ns % 1'000'000'000)};
    const long rc = futex(word_of(state_), FUTEX_WAIT, 0, &timeout);
    if (rc != 0 && errno != EAGAIN && errno != EINTR && errno != ETIMEDOUT) {
      throw std::runtime_error("futex event: wait failed");
    }
    if (try_consume()) return;
  }
}

}  // namespace bench
