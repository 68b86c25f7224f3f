// The small command interpreter that stands in for the one COMSPEC names when
// it is unset. It understands "/c" and the quote rule of the NT family: when
// the text after /c begins with a double quote, that quote and the last double
// quote of the text are removed; the rest is split by the Windows rules.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// The arguments to run for "<interpreter> /c <command>", given the whole
// command line; nullopt when the line has no /c.
std::optional<std::vector<std::string>> interpret_shell_command(std::string_view command_line);

// True for the names that mean the built-in interpreter: "", "cmd", "cmd.exe".
bool is_builtin_interpreter(std::string_view program);

}  // namespace platform
