#include "platform/process.h"

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <map>
#include <mutex>
#include <poll.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/command_interpreter.h"
#include "platform/error.h"
#include "platform/pipe.h"
#include "spawn.h"

namespace platform {
namespace {

// The exit code asked for by terminate, per child of ours, until it is reaped:
// a SIGKILL carries no code, and a terminated script must still report the one
// it was given.
class TerminationCodes {
 public:
  void record(pid_t pid, int code) {
    std::lock_guard lock(mutex_);
    codes_[pid] = code;
  }
  std::optional<int> take(pid_t pid) {
    std::lock_guard lock(mutex_);
    auto it = codes_.find(pid);
    if (it == codes_.end()) return std::nullopt;
    int code = it->second;
    codes_.erase(it);
    return code;
  }

 private:
  std::mutex mutex_;
  std::map<pid_t, int> codes_;
};

TerminationCodes& termination_codes() {
  static TerminationCodes codes;
  return codes;
}

bool is_child_of_ours(pid_t pid) {
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
  // The name in parentheses may hold anything; the fields follow the last ')'.
  std::size_t close = text.rfind(')');
  if (close == std::string::npos) return false;
  char state = 0;
  long parent = 0;
  if (std::sscanf(text.c_str() + close + 1, " %c %ld", &state, &parent) != 2) return false;
  return parent == ::getpid();
}

int poll_timeout(std::chrono::milliseconds timeout) {
  if (timeout.count() <= 0) return 0;
  return timeout.count() > INT_MAX ? INT_MAX : static_cast<int>(timeout.count());
}

// True when the pidfd reports the process ended within the time-out.
bool wait_pidfd(int fd, std::chrono::milliseconds timeout) {
  pollfd entry{fd, POLLIN, 0};
  for (;;) {
    int rc = ::poll(&entry, 1, poll_timeout(timeout));
    if (rc > 0) return true;
    if (rc == 0) return false;
    if (errno != EINTR) throw_errno("wait for process");
  }
}

void send_kill(int pidfd, const char* what) {
  if (::syscall(SYS_pidfd_send_signal, pidfd, SIGKILL, nullptr, 0) < 0 && errno != ESRCH) {
    throw_errno(what);
  }
}

int exit_code_of(pid_t pid, int status) {
  std::optional<int> requested = termination_codes().take(pid);
  if (WIFEXITED(status)) return WEXITSTATUS(status);
  if (WIFSIGNALED(status)) {
    if (WTERMSIG(status) == SIGKILL && requested) return *requested;
    return 128 + WTERMSIG(status);
  }
  return status;
}

std::vector<std::string> arguments_to_run(std::string_view command_line) {
  std::vector<std::string> arguments = split_command_line(command_line);
  if (arguments.empty() || is_builtin_interpreter(arguments.front())) {
    auto interpreted = interpret_shell_command(command_line);
    if (!interpreted) {
      throw SystemError("start process: the command interpreter needs /c and a command", EINVAL);
    }
    arguments = std::move(*interpreted);
  }
  if (arguments.empty()) throw SystemError("start process: empty command line", EINVAL);
  return arguments;
}

}  // namespace

// ChildProcess --------------------------------------------------------------

ChildProcess ChildProcess::start(std::string_view command_line, const StartOptions& options) {
  detail::SpawnSpec spec;
  spec.argv = arguments_to_run(command_line);
  spec.directory = options.directory;
  spec.end_with_parent = options.end_with_parent;
  spec.environment = options.environment;
  if (options.capture) {
    if (options.capture->fd() < 0) throw SystemError("start process: the pipe is closed", EBADF);
    spec.stdin_fd = detail::kNullDevice;
    spec.stdout_fd = options.capture->fd();
    spec.stderr_fd = options.capture->fd();
  } else if (options.hidden) {
    // A hidden console shows nothing and takes no input.
    spec.stdin_fd = spec.stdout_fd = spec.stderr_fd = detail::kNullDevice;
  }
  detail::Spawned child = detail::spawn(spec);
  return ChildProcess(child.pid, child.pidfd);
}

ChildProcess::ChildProcess(ChildProcess&& other) noexcept
    : pid_(other.pid_), pidfd_(other.pidfd_), exit_code_(other.exit_code_) {
  other.pid_ = -1;
  other.pidfd_ = -1;
}

ChildProcess& ChildProcess::operator=(ChildProcess&& other) noexcept {
  if (this != &other) {
    ChildProcess gone(std::move(*this));
    pid_ = other.pid_;
    pidfd_ = other.pidfd_;
    exit_code_ = other.exit_code_;
    other.pid_ = -1;
    other.pidfd_ = -1;
  }
  return *this;
}

ChildProcess::~ChildProcess() {
  if (pidfd_ < 0) return;
  if (!exit_code_) {
    try {
      reap_if_ended(false);
    } catch (...) {
    }
  }
  if (exit_code_) {
    ::close(pidfd_);
    return;
  }
  try {
    detail::hand_to_reaper(pid_, pidfd_);
  } catch (...) {
    // Without a reaper the child stays a zombie until we exit; never block here.
    ::close(pidfd_);
  }
}

void ChildProcess::reap_if_ended(bool block) {
  if (exit_code_ || pid_ <= 0) return;
  int status = 0;
  for (;;) {
    pid_t result = ::waitpid(pid_, &status, block ? 0 : WNOHANG);
    if (result == pid_) {
      exit_code_ = exit_code_of(pid_, status);
      return;
    }
    if (result == 0) return;
    if (errno == EINTR) continue;
    if (errno == ECHILD) {
      // Reaped behind our back (SIGCHLD ignored): the code is lost.
      termination_codes().take(pid_);
      exit_code_ = -1;
      return;
    }
    throw_errno("reap process " + std::to_string(pid_));
  }
}

bool ChildProcess::wait(std::chrono::milliseconds timeout) {
  if (exit_code_) return true;
  if (pidfd_ < 0) return false;
  if (!wait_pidfd(pidfd_, timeout)) return false;
  reap_if_ended(true);
  return true;
}

void ChildProcess::wait() {
  if (exit_code_ || pidfd_ < 0) return;
  reap_if_ended(true);
}

void ChildProcess::terminate(int exit_code) {
  if (exit_code_ || pidfd_ < 0) return;
  termination_codes().record(pid_, exit_code);
  send_kill(pidfd_, "terminate process");
}

// ProcessHandle -------------------------------------------------------------

std::optional<ProcessHandle> ProcessHandle::open(pid_t pid) {
  int fd = detail::open_pidfd(pid);
  if (fd < 0) return std::nullopt;
  return ProcessHandle(pid, fd);
}

ProcessHandle::ProcessHandle(ProcessHandle&& other) noexcept : pid_(other.pid_), fd_(other.fd_) {
  other.pid_ = -1;
  other.fd_ = -1;
}

ProcessHandle& ProcessHandle::operator=(ProcessHandle&& other) noexcept {
  if (this != &other) {
    if (fd_ >= 0) ::close(fd_);
    pid_ = other.pid_;
    fd_ = other.fd_;
    other.pid_ = -1;
    other.fd_ = -1;
  }
  return *this;
}

ProcessHandle::~ProcessHandle() {
  if (fd_ >= 0) ::close(fd_);
}

bool ProcessHandle::wait(std::chrono::milliseconds timeout) const {
  if (fd_ < 0) return true;
  return wait_pidfd(fd_, timeout);
}

void ProcessHandle::terminate(int exit_code) const {
  if (fd_ < 0) return;
  // Only a child of ours is reaped here, so only then can the code be reported.
  if (is_child_of_ours(pid_)) termination_codes().record(pid_, exit_code);
  send_kill(fd_, "terminate process");
}

// This process --------------------------------------------------------------

pid_t current_process_id() noexcept { return ::getpid(); }

std::string current_executable_path() {
  std::string path(256, '\0');
  for (;;) {
    ssize_t length = ::readlink("/proc/self/exe", path.data(), path.size());
    if (length < 0) throw_errno("read the path of this program");
    if (static_cast<std::size_t>(length) < path.size()) {
      path.resize(static_cast<std::size_t>(length));
      return path;
    }
    path.resize(path.size() * 2);
  }
}

}  // namespace platform
