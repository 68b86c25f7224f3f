#include "process_liveness.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <string>
#include <string_view>
#include <unistd.h>

namespace platform::detail {
namespace {

// The contents of /proc/<pid>/stat, or "" when it cannot be read.
std::string read_stat(pid_t pid) {
  std::string path = "/proc/" + std::to_string(pid) + "/stat";
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return {};
  char buffer[1024];
  ssize_t got = ::read(fd, buffer, sizeof buffer - 1);
  ::close(fd);
  return got > 0 ? std::string(buffer, static_cast<std::size_t>(got)) : std::string();
}

}  // namespace

std::optional<std::uint64_t> process_start_time(pid_t pid) {
  if (pid <= 0) return std::nullopt;
  std::string stat = read_stat(pid);
  // The command name may hold blanks and parentheses: the fields start after the last ')'.
  std::size_t close = stat.rfind(')');
  if (close == std::string::npos) {
    if (::kill(pid, 0) == 0 || errno == EPERM) return 0;  // no /proc: alive, time unknown
    return std::nullopt;
  }
  std::string_view rest(stat);
  rest.remove_prefix(close + 1);
  // Fields after the name: state is the 1st, start time the 20th.
  int field = 0;
  std::size_t pos = 0;
  char state = 0;
  while (pos < rest.size()) {
    while (pos < rest.size() && rest[pos] == ' ') ++pos;
    std::size_t end = rest.find(' ', pos);
    if (end == std::string_view::npos) end = rest.size();
    ++field;
    std::string_view token = rest.substr(pos, end - pos);
    if (field == 1 && !token.empty()) state = token[0];
    if (field == 20) {
      if (state == 'Z' || state == 'X') return std::nullopt;
      std::uint64_t value = 0;
      for (char c : token) {
        if (c < '0' || c > '9') break;
        value = value * 10 + static_cast<std::uint64_t>(c - '0');
      }
      return value;
    }
    pos = end;
  }
  return std::nullopt;
}

bool process_alive(pid_t pid, std::uint64_t start_time) {
  std::optional<std::uint64_t> now = process_start_time(pid);
  if (!now) return false;
  return start_time == 0 || *now == 0 || *now == start_time;
}

}  // namespace platform::detail
