#include "launcher/output_watcher.h"

#include <cerrno>
#include <cstdint>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <platform/error.h>

namespace scriptlink {

OutputWatcher::OutputWatcher(int pipe_fd, int process_fd, std::function<void()> wake)
    : wake_(std::move(wake)) {
  stop_fd_ = ::eventfd(0, EFD_CLOEXEC);
  if (stop_fd_ < 0) platform::throw_errno("create the output watcher");
  thread_ = std::thread([this, pipe_fd, process_fd] { Run(pipe_fd, process_fd); });
}

OutputWatcher::~OutputWatcher() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  rearmed_.notify_all();
  const std::uint64_t one = 1;
  (void)!::write(stop_fd_, &one, sizeof one);
  thread_.join();
  ::close(stop_fd_);
}

void OutputWatcher::Rearm() {
  {
    std::lock_guard lock(mutex_);
    armed_ = true;
  }
  rearmed_.notify_all();
}

bool OutputWatcher::WaitForRearm() {
  std::unique_lock lock(mutex_);
  armed_ = false;
  rearmed_.wait(lock, [this] { return armed_ || stopping_; });
  return !stopping_;
}

void OutputWatcher::Run(int pipe_fd, int process_fd) {
  for (;;) {
    pollfd fds[3] = {{stop_fd_, POLLIN, 0}, {process_fd, POLLIN, 0}, {pipe_fd, POLLIN, 0}};
    const int count = pipe_fd >= 0 ? 3 : 2;
    if (::poll(fds, count, -1) < 0) {
      if (errno == EINTR) continue;
      return;
    }
    if (fds[0].revents != 0) return;
    if (fds[1].revents != 0) {  // the script has ended: the run drains and stops
      wake_();
      return;
    }
    if (count == 3 && fds[2].revents != 0) {
      int waiting = 0;
      if ((fds[2].revents & POLLIN) == 0 || (::ioctl(pipe_fd, FIONREAD, &waiting) == 0 && waiting == 0)) {
        // Hung up with nothing left: the script closed its output; stop watching it.
        pipe_fd = -1;
        continue;
      }
      wake_();
      if (!WaitForRearm()) return;
    }
  }
}

}  // namespace scriptlink
