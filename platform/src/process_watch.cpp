#include "platform/process.h"

#include "process_liveness.h"

#include <poll.h>
#include <sys/syscall.h>
#include <unistd.h>
#include <utility>

namespace platform {

ProcessWatch::ProcessWatch(pid_t pid) : pid_(pid) {
  // pidfds are always close-on-exec.
  if (pid > 0) fd_ = static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
}

ProcessWatch::ProcessWatch(ProcessWatch&& other) noexcept
    : pid_(std::exchange(other.pid_, 0)), fd_(std::exchange(other.fd_, -1)) {}

ProcessWatch& ProcessWatch::operator=(ProcessWatch&& other) noexcept {
  if (this != &other) {
    if (fd_ >= 0) ::close(fd_);
    pid_ = std::exchange(other.pid_, 0);
    fd_ = std::exchange(other.fd_, -1);
  }
  return *this;
}

ProcessWatch::~ProcessWatch() {
  if (fd_ >= 0) ::close(fd_);
}

bool ProcessWatch::ended() const {
  if (fd_ >= 0) {
    // A pidfd turns readable when its process has ended (zombies included).
    pollfd entry{fd_, POLLIN, 0};
    return ::poll(&entry, 1, 0) > 0;
  }
  if (pid_ <= 0) return false;
  // No pidfd: the process was already gone when watched, or fds ran out.
  return !detail::process_alive(pid_, 0);
}

}  // namespace platform
