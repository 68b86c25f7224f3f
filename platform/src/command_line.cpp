#include "command_line.h"

#include "platform/process.h"

namespace platform {
namespace detail {

std::size_t skip_blanks(std::string_view line, std::size_t pos) {
  while (pos < line.size() && is_blank(line[pos])) ++pos;
  return pos;
}

std::size_t parse_argument(std::string_view line, std::size_t pos, std::string& argument) {
  bool quoted = false;
  while (pos < line.size()) {
    char c = line[pos];
    if (!quoted && is_blank(c)) break;
    if (c == '\\') {
      std::size_t run = 0;
      while (pos < line.size() && line[pos] == '\\') ++run, ++pos;
      if (pos < line.size() && line[pos] == '"') {
        // Backslashes count only before a quote: 2n give n, 2n+1 also escape it.
        argument.append(run / 2, '\\');
        if (run % 2 == 1) argument.push_back('"'), ++pos;
      } else {
        argument.append(run, '\\');
      }
      continue;
    }
    if (c == '"') {
      if (quoted && pos + 1 < line.size() && line[pos + 1] == '"') {
        argument.push_back('"');
        pos += 2;
      } else {
        quoted = !quoted;
        ++pos;
      }
      continue;
    }
    argument.push_back(c);
    ++pos;
  }
  return pos;
}

}  // namespace detail

std::vector<std::string> split_command_line(std::string_view command_line) {
  std::vector<std::string> arguments;
  std::size_t pos = detail::skip_blanks(command_line, 0);
  while (pos < command_line.size()) {
    std::string argument;
    pos = detail::parse_argument(command_line, pos, argument);
    arguments.push_back(std::move(argument));
    pos = detail::skip_blanks(command_line, pos);
  }
  return arguments;
}

}  // namespace platform
