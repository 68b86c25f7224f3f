#include "platform/shell.h"

#include <cstdio>
#include <cstdlib>
#include <exception>

#include "append_line.h"
#include "spawn.h"

namespace platform::shell {

void open(const std::string& target) {
  if (const char* log = std::getenv(kShellOpenLogVariable); log && *log) {
    detail::append_line(log, target);
    return;
  }
  std::optional<std::string> opener = detail::find_program("xdg-open");
  if (!opener) {
    std::fprintf(stderr, "cannot open %s: xdg-open not found\n", target.c_str());
    return;
  }
  // Detached: in a session of its own, silent, reaped in the background, so
  // what it opens outlives the host and never writes into the host's output.
  detail::SpawnSpec spec;
  spec.argv = {*opener, target};
  spec.stdin_fd = spec.stdout_fd = spec.stderr_fd = detail::kNullDevice;
  spec.new_session = true;
  try {
    detail::Spawned opened = detail::spawn(spec);
    detail::hand_to_reaper(opened.pid, opened.pidfd);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "cannot open %s: %s\n", target.c_str(), error.what());
  }
}

}  // namespace platform::shell
