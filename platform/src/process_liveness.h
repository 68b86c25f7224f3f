// Whether a process recorded earlier is still the same living process. A pid
// alone can be reused, so the kernel's start time of the process is kept beside it.
#pragma once

#include <cstdint>
#include <optional>
#include <sys/types.h>

namespace platform::detail {

// The start time (clock ticks since boot) of a living process; nullopt when the
// process is gone or a zombie.
std::optional<std::uint64_t> process_start_time(pid_t pid);

// start_time 0 means "not known": then only the pid is checked.
bool process_alive(pid_t pid, std::uint64_t start_time);

}  // namespace platform::detail
