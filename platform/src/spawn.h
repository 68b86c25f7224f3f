// Process start shared by the launcher, the clipboard and the shell opener:
// posix_spawnp (or fork and exec, for a child that ends with its parent) with
// every standard stream chosen, a pidfd opened at once, and every descriptor
// above 2 closed in the child whatever its close-on-exec flag.
#pragma once

#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace platform::detail {

// A standard stream of the child: a descriptor of ours, or /dev/null.
inline constexpr int kNullDevice = -1;
// The child keeps the parent's descriptor of the same number.
inline constexpr int kInherit = -2;

struct SpawnSpec {
  std::vector<std::string> argv;
  int stdin_fd = kInherit;
  int stdout_fd = kInherit;
  int stderr_fd = kInherit;
  std::string directory;
  // A session of its own, so the host's terminal signals do not reach it.
  bool new_session = false;
  // Killed when the calling thread ends (with it, the process): started by
  // fork and exec, for posix_spawn cannot ask for the parent-death signal.
  bool end_with_parent = false;
  // "NAME=value" entries that replace or add to the inherited environment.
  std::vector<std::string> environment;
};

struct Spawned {
  pid_t pid = -1;
  int pidfd = -1;
};

// Throws SystemError when the program cannot be started (not found, not
// executable, bad directory); the child has then already been reaped.
Spawned spawn(const SpawnSpec& spec);

// The full path of an executable found on PATH, nullopt if there is none.
std::optional<std::string> find_program(const std::string& name);

// Opens a pidfd; -1 when the process does not exist or cannot be opened.
int open_pidfd(pid_t pid) noexcept;

// Hands a started child to the process-wide reaper, which closes the pidfd
// and reaps the child once it ends. Never blocks.
void hand_to_reaper(pid_t pid, int pidfd);

}  // namespace platform::detail
