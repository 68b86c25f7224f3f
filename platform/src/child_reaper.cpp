// The process-wide reaper: one background thread that waits on the pidfds of
// children nobody waits for any more and reaps each as it ends, so that a
// child outliving its ChildProcess (or a detached helper like xdg-open)
// never stays a zombie and the caller never blocks.
#include <cerrno>
#include <cstdint>
#include <memory>
#include <mutex>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "platform/error.h"
#include "spawn.h"

namespace platform::detail {
namespace {

struct Orphan {
  pid_t pid;
  int pidfd;
};

struct ReaperState {
  std::mutex mutex;
  std::vector<Orphan> orphans;
  int wake_fd = -1;
};

// True when the child is gone: reaped now, or reaped by someone else (SIGCHLD
// ignored makes the kernel reap it).
bool reap_now(pid_t pid) {
  for (;;) {
    pid_t result = ::waitpid(pid, nullptr, WNOHANG);
    if (result == pid) return true;
    if (result == 0) return false;
    if (errno != EINTR) return true;
  }
}

void reap_ended(ReaperState& state, const std::vector<pollfd>& polled) {
  std::lock_guard lock(state.mutex);
  for (const pollfd& entry : polled) {
    if (entry.fd == state.wake_fd || entry.revents == 0) continue;
    for (auto it = state.orphans.begin(); it != state.orphans.end(); ++it) {
      if (it->pidfd != entry.fd) continue;
      if (reap_now(it->pid)) {
        ::close(it->pidfd);
        state.orphans.erase(it);
      }
      break;
    }
  }
}

// Runs for the life of the process; holding the state by shared_ptr keeps it
// alive while static objects are destroyed at exit.
void reaper_loop(std::shared_ptr<ReaperState> state) {
  std::vector<pollfd> polled;
  for (;;) {
    polled.clear();
    polled.push_back({state->wake_fd, POLLIN, 0});
    {
      std::lock_guard lock(state->mutex);
      for (const Orphan& orphan : state->orphans) polled.push_back({orphan.pidfd, POLLIN, 0});
    }
    if (::poll(polled.data(), polled.size(), -1) < 0) continue;
    if (polled.front().revents != 0) {
      std::uint64_t count = 0;
      [[maybe_unused]] ssize_t ignored = ::read(state->wake_fd, &count, sizeof count);
    }
    reap_ended(*state, polled);
  }
}

std::shared_ptr<ReaperState> start_reaper() {
  auto state = std::make_shared<ReaperState>();
  state->wake_fd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  if (state->wake_fd < 0) throw_errno("start the child reaper");
  std::thread(reaper_loop, state).detach();
  return state;
}

ReaperState& reaper() {
  static std::shared_ptr<ReaperState> state = start_reaper();
  return *state;
}

}  // namespace

void hand_to_reaper(pid_t pid, int pidfd) {
  ReaperState& state = reaper();
  {
    std::lock_guard lock(state.mutex);
    state.orphans.push_back({pid, pidfd});
  }
  std::uint64_t one = 1;
  [[maybe_unused]] ssize_t ignored = ::write(state.wake_fd, &one, sizeof one);
}

}  // namespace platform::detail
