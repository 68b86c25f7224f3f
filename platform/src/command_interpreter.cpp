#include "platform/command_interpreter.h"

#include "command_line.h"
#include "platform/process.h"

namespace platform {
namespace {

bool equals_ignoring_case(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    char x = a[i] >= 'A' && a[i] <= 'Z' ? static_cast<char>(a[i] - 'A' + 'a') : a[i];
    char y = b[i] >= 'A' && b[i] <= 'Z' ? static_cast<char>(b[i] - 'A' + 'a') : b[i];
    if (x != y) return false;
  }
  return true;
}

// The NT rule: a command that begins with a double quote loses that quote and
// the last double quote of the text; what lies between is left as it is.
std::string remove_outer_quotes(std::string_view command) {
  if (command.empty() || command.front() != '"') return std::string(command);
  std::string text(command.substr(1));
  std::size_t last = text.rfind('"');
  if (last != std::string::npos) text.erase(last, 1);
  return text;
}

}  // namespace

std::optional<std::vector<std::string>> interpret_shell_command(std::string_view command_line) {
  std::string program;
  std::size_t pos = detail::skip_blanks(command_line, 0);
  pos = detail::parse_argument(command_line, pos, program);
  pos = detail::skip_blanks(command_line, pos);
  if (command_line.size() - pos < 2 || !equals_ignoring_case(command_line.substr(pos, 2), "/c")) {
    return std::nullopt;
  }
  pos = detail::skip_blanks(command_line, pos + 2);
  return split_command_line(remove_outer_quotes(command_line.substr(pos)));
}

bool is_builtin_interpreter(std::string_view program) {
  return program.empty() || equals_ignoring_case(program, "cmd") ||
         equals_ignoring_case(program, "cmd.exe");
}

}  // namespace platform
