// Processes: start from one command line (split by the Windows rules), open by
// id, wait with a time-out, terminate. Uses pidfds, so a process once opened is
// the same process for the life of the handle, whatever becomes of its id.
#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <sys/types.h>
#include <vector>

namespace platform {

class PipeWriteEnd;

// Splits a command line into arguments as the Windows C runtime does: blanks
// separate, double quotes group, 2n backslashes before a quote give n
// backslashes, 2n+1 give n and a literal quote, and "" inside a quoted part is
// a literal quote.
std::vector<std::string> split_command_line(std::string_view command_line);

// Watches a process for its end without owning it (what a wait can also end on).
class ProcessWatch {
 public:
  // Watches pid; invalid (never ends a wait) when pid is 0 or cannot be opened.
  explicit ProcessWatch(pid_t pid);
  ProcessWatch(ProcessWatch&&) noexcept;
  ProcessWatch& operator=(ProcessWatch&&) noexcept;
  ~ProcessWatch();

  bool valid() const noexcept { return fd_ >= 0; }
  pid_t pid() const noexcept { return pid_; }
  // True once the process has ended (or never existed).
  bool ended() const;
  int fd() const noexcept { return fd_; }

 private:
  pid_t pid_ = 0;
  int fd_ = -1;
};

struct StartOptions {
  // Capture mode: standard output and standard error go to this pipe's write
  // end; standard input is /dev/null. Otherwise the child shares the host's
  // terminal.
  const PipeWriteEnd* capture = nullptr;
  // A hidden console: the child gets no terminal (standard input, output and
  // error are /dev/null), as a hidden console window shows nothing.
  bool hidden = false;
  // Current directory for the child; empty = the parent's.
  std::string directory;
  // The child is killed when the thread that starts it ends (with it, this
  // process, however it ends), as a job that kills its processes on close
  // would; start it from the main thread. What it execs keeps this, so a
  // chain of programs that each exec the next ends with us too.
  bool end_with_parent = false;
  // Variables the child gets on top of (or in place of) this process's own,
  // "NAME=value"; this process's environment is left as it is.
  std::vector<std::string> environment;
};

// A process this process started; it is reaped when the object goes, so no
// zombie outlives it.
class ChildProcess {
 public:
  // Starts the command line. An empty first argument, or "cmd"/"cmd.exe",
  // runs the built-in command interpreter (see command_interpreter.h).
  // Throws SystemError when the program cannot be started.
  static ChildProcess start(std::string_view command_line, const StartOptions& options = {});

  ChildProcess(ChildProcess&&) noexcept;
  ChildProcess& operator=(ChildProcess&&) noexcept;
  ~ChildProcess();

  pid_t id() const noexcept { return pid_; }
  // True when it ended within the time-out; the exit code is then known.
  bool wait(std::chrono::milliseconds timeout);
  void wait();
  std::optional<int> exit_code() const noexcept { return exit_code_; }
  void terminate(int exit_code);

 private:
  ChildProcess(pid_t pid, int pidfd) noexcept : pid_(pid), pidfd_(pidfd) {}
  void reap_if_ended(bool block);
  pid_t pid_ = -1;
  int pidfd_ = -1;
  std::optional<int> exit_code_;
};

// Any process, opened by id with the rights to wait for it and terminate it.
class ProcessHandle {
 public:
  static std::optional<ProcessHandle> open(pid_t pid);

  ProcessHandle(ProcessHandle&&) noexcept;
  ProcessHandle& operator=(ProcessHandle&&) noexcept;
  ~ProcessHandle();

  pid_t id() const noexcept { return pid_; }
  // True when the process has ended within the time-out.
  bool wait(std::chrono::milliseconds timeout) const;
  // Sends SIGKILL; exit_code is recorded for children that we reap ourselves.
  void terminate(int exit_code) const;
  int fd() const noexcept { return fd_; }

 private:
  ProcessHandle(pid_t pid, int fd) noexcept : pid_(pid), fd_(fd) {}
  pid_t pid_ = -1;
  int fd_ = -1;
};

pid_t current_process_id() noexcept;
// The full path of this process's executable.
std::string current_executable_path();

}  // namespace platform
