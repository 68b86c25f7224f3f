#include "spawn.h"

#include <cerrno>
#include <csignal>
#include <algorithm>
#include <cstdlib>
#include <fcntl.h>
#include <spawn.h>
#include <string_view>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/error.h"

extern char** environ;

namespace platform::detail {
namespace {

// Owns the posix_spawn attribute objects for the length of one start.
class SpawnSetup {
 public:
  SpawnSetup() {
    check(posix_spawn_file_actions_init(&actions_), "prepare process start");
    if (int rc = posix_spawnattr_init(&attributes_); rc != 0) {
      posix_spawn_file_actions_destroy(&actions_);
      throw SystemError("prepare process start", rc);
    }
  }
  ~SpawnSetup() {
    posix_spawnattr_destroy(&attributes_);
    posix_spawn_file_actions_destroy(&actions_);
  }
  SpawnSetup(const SpawnSetup&) = delete;
  SpawnSetup& operator=(const SpawnSetup&) = delete;

  void stream(int source, int target) {
    if (source == kInherit) return;
    if (source == kNullDevice) {
      int flags = target == STDIN_FILENO ? O_RDONLY : O_WRONLY;
      check(posix_spawn_file_actions_addopen(&actions_, target, "/dev/null", flags, 0),
            "prepare process start");
    } else {
      check(posix_spawn_file_actions_adddup2(&actions_, source, target), "prepare process start");
    }
  }

  void finish(const SpawnSpec& spec) {
    // Descriptors other processes or libraries opened without close-on-exec
    // must not reach the child either (a stray pipe end would keep a reader
    // waiting for ever).
    check(posix_spawn_file_actions_addclosefrom_np(&actions_, STDERR_FILENO + 1),
          "prepare process start");
    if (!spec.directory.empty()) {
      check(posix_spawn_file_actions_addchdir_np(&actions_, spec.directory.c_str()),
            "prepare process start");
    }
    // Ignored signals survive exec; the child starts with the defaults.
    sigset_t all;
    sigfillset(&all);
    sigset_t none;
    sigemptyset(&none);
    check(posix_spawnattr_setsigdefault(&attributes_, &all), "prepare process start");
    check(posix_spawnattr_setsigmask(&attributes_, &none), "prepare process start");
    short flags = POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK;
    if (spec.new_session) flags |= POSIX_SPAWN_SETSID;
    check(posix_spawnattr_setflags(&attributes_, flags), "prepare process start");
  }

  const posix_spawn_file_actions_t* actions() const { return &actions_; }
  const posix_spawnattr_t* attributes() const { return &attributes_; }

 private:
  static void check(int rc, const char* what) {
    if (rc != 0) throw SystemError(what, rc);
  }
  posix_spawn_file_actions_t actions_;
  posix_spawnattr_t attributes_;
};

bool is_executable_file(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
         ::access(path.c_str(), X_OK) == 0;
}

// In the child between fork and exec only async-signal-safe calls may run:
// the parent has other threads, whose locks the child inherits held.
[[noreturn]] void fail_in_child(int report_fd, int error) {
  [[maybe_unused]] ssize_t ignored = ::write(report_fd, &error, sizeof error);
  ::_exit(127);
}

void stream_in_child(int source, int target, int report_fd) {
  if (source == kInherit) return;
  if (source == kNullDevice) {
    source = ::open("/dev/null", target == STDIN_FILENO ? O_RDONLY : O_WRONLY);
    if (source < 0) fail_in_child(report_fd, errno);
  }
  if (source == target) {
    if (::fcntl(target, F_SETFD, 0) != 0) fail_in_child(report_fd, errno);
    return;
  }
  if (::dup2(source, target) < 0) fail_in_child(report_fd, errno);
}

[[noreturn]] void run_child(const SpawnSpec& spec, const char* program, char* const* argv,
                            char* const* envp, int report_fd, pid_t parent) {
  if (report_fd <= STDERR_FILENO) {  // the parent ran without a standard stream: keep clear of them
    report_fd = ::fcntl(report_fd, F_DUPFD_CLOEXEC, STDERR_FILENO + 1);
    if (report_fd < 0) ::_exit(127);
  }
  if (::prctl(PR_SET_PDEATHSIG, SIGKILL) != 0) fail_in_child(report_fd, errno);
  if (::getppid() != parent) ::_exit(127);  // the parent ended before the line above
  struct sigaction default_action {};
  default_action.sa_handler = SIG_DFL;
  for (int signal_number = 1; signal_number < NSIG; ++signal_number) {
    ::sigaction(signal_number, &default_action, nullptr);  // fails harmlessly for KILL, STOP
  }
  sigset_t none;
  sigemptyset(&none);
  ::sigprocmask(SIG_SETMASK, &none, nullptr);
  if (spec.new_session && ::setsid() < 0) fail_in_child(report_fd, errno);
  stream_in_child(spec.stdin_fd, STDIN_FILENO, report_fd);
  stream_in_child(spec.stdout_fd, STDOUT_FILENO, report_fd);
  stream_in_child(spec.stderr_fd, STDERR_FILENO, report_fd);
  // Every other descriptor but the report pipe (close-on-exec) goes.
  if (report_fd > STDERR_FILENO + 1) ::close_range(STDERR_FILENO + 1, static_cast<unsigned>(report_fd) - 1, 0);
  ::close_range(static_cast<unsigned>(report_fd) + 1, ~0U, 0);
  if (!spec.directory.empty() && ::chdir(spec.directory.c_str()) != 0) fail_in_child(report_fd, errno);
  ::execve(program, argv, envp);
  fail_in_child(report_fd, errno);
}

// The child's errno when it failed before or at exec; 0 once it has exec'd
// (the report pipe closed on exec with nothing written).
int read_child_report(int report_fd) {
  int error = 0;
  ssize_t got = 0;
  do {
    got = ::read(report_fd, &error, sizeof error);
  } while (got < 0 && errno == EINTR);
  return got == static_cast<ssize_t>(sizeof error) ? error : 0;
}

pid_t fork_ending_with_parent(const SpawnSpec& spec, std::vector<char*>& argv, std::vector<char*>& envp) {
  // Everything that allocates happens here, before the fork.
  const std::optional<std::string> program = find_program(spec.argv.front());
  if (!program) throw SystemError("start process " + spec.argv.front(), ENOENT);
  int report[2];
  if (::pipe2(report, O_CLOEXEC) != 0) throw_errno("prepare process start");
  const pid_t parent = ::getpid();
  const pid_t pid = ::fork();
  if (pid == 0) run_child(spec, program->c_str(), argv.data(), envp.data(), report[1], parent);
  const int fork_error = errno;
  ::close(report[1]);
  const int child_error = pid < 0 ? 0 : read_child_report(report[0]);
  ::close(report[0]);
  if (pid < 0) throw SystemError("start process " + spec.argv.front(), fork_error);
  if (child_error != 0) {
    while (::waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
    }
    throw SystemError("start process " + spec.argv.front(), child_error);
  }
  return pid;
}

pid_t posix_spawn_child(const SpawnSpec& spec, std::vector<char*>& argv, std::vector<char*>& envp) {
  SpawnSetup setup;
  setup.stream(spec.stdin_fd, STDIN_FILENO);
  setup.stream(spec.stdout_fd, STDOUT_FILENO);
  setup.stream(spec.stderr_fd, STDERR_FILENO);
  setup.finish(spec);
  pid_t pid = -1;
  // glibc reports a failed exec (or chdir) here and reaps that child itself.
  int rc = posix_spawnp(&pid, argv[0], setup.actions(), setup.attributes(), argv.data(), envp.data());
  if (rc != 0) throw SystemError("start process " + spec.argv.front(), rc);
  return pid;
}

// This process's environment with the spec's entries put over it. The child's
// variables are set here rather than with setenv, which would race with other
// threads reading the environment and leak into every later child.
std::vector<char*> child_environment(const SpawnSpec& spec) {
  std::vector<char*> envp;
  for (char** entry = environ; entry != nullptr && *entry != nullptr; ++entry) {
    const std::string_view inherited(*entry);
    const std::string_view name = inherited.substr(0, inherited.find('='));
    const bool replaced = std::any_of(spec.environment.begin(), spec.environment.end(), [&](const std::string& own) {
      return own.size() > name.size() && own.compare(0, name.size(), name) == 0 && own[name.size()] == '=';
    });
    if (!replaced) envp.push_back(*entry);
  }
  for (const std::string& own : spec.environment) envp.push_back(const_cast<char*>(own.c_str()));
  envp.push_back(nullptr);
  return envp;
}

}  // namespace

Spawned spawn(const SpawnSpec& spec) {
  if (spec.argv.empty() || spec.argv.front().empty()) {
    throw SystemError("start process: no program named", ENOENT);
  }
  std::vector<char*> argv;
  argv.reserve(spec.argv.size() + 1);
  for (const std::string& argument : spec.argv) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  std::vector<char*> envp = child_environment(spec);
  const pid_t pid =
      spec.end_with_parent ? fork_ending_with_parent(spec, argv, envp) : posix_spawn_child(spec, argv, envp);

  int pidfd = open_pidfd(pid);
  if (pidfd < 0) {
    int error = errno;
    ::kill(pid, SIGKILL);
    while (::waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
    }
    throw SystemError("open started process " + spec.argv.front(), error);
  }
  return {pid, pidfd};
}

std::optional<std::string> find_program(const std::string& name) {
  if (name.empty()) return std::nullopt;
  if (name.find('/') != std::string::npos) {
    return is_executable_file(name) ? std::optional<std::string>(name) : std::nullopt;
  }
  const char* path_variable = std::getenv("PATH");
  std::string path = path_variable ? path_variable : "/usr/local/bin:/usr/bin:/bin";
  std::size_t begin = 0;
  while (begin <= path.size()) {
    std::size_t end = path.find(':', begin);
    if (end == std::string::npos) end = path.size();
    std::string folder = path.substr(begin, end - begin);
    std::string candidate = (folder.empty() ? std::string(".") : folder) + "/" + name;
    if (is_executable_file(candidate)) return candidate;
    begin = end + 1;
  }
  return std::nullopt;
}

int open_pidfd(pid_t pid) noexcept {
  if (pid <= 0) return -1;
  // pidfds are close-on-exec from birth. (The libc wrapper header of this
  // release lacks C linkage for C++, hence the raw system call.)
  return static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
}

}  // namespace platform::detail
