// Process-shared futex calls on a word in shared memory (never FUTEX_PRIVATE:
// the waiters and wakers live in different processes).
#pragma once

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <ctime>
#include <linux/futex.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace platform::detail {

// Sleeps while *word == expected, at most timeout (nullptr = no limit).
// Returns 0, or the errno (ETIMEDOUT, EAGAIN, EINTR).
inline int futex_wait(std::atomic<std::uint32_t>* word, std::uint32_t expected,
                      const timespec* timeout) noexcept {
  long result = ::syscall(SYS_futex, reinterpret_cast<std::uint32_t*>(word), FUTEX_WAIT, expected,
                          timeout, nullptr, 0);
  return result == 0 ? 0 : errno;
}

inline void futex_wake(std::atomic<std::uint32_t>* word, int count) noexcept {
  ::syscall(SYS_futex, reinterpret_cast<std::uint32_t*>(word), FUTEX_WAKE, count, nullptr,
            nullptr, 0);
}

}  // namespace platform::detail
