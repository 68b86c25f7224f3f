// One argument of a command line by the Windows C runtime rules, for the
// splitter and for the command interpreter, which must know where the program
// name ends in the raw text.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace platform::detail {

inline bool is_blank(char c) { return c == ' ' || c == '\t'; }

std::size_t skip_blanks(std::string_view line, std::size_t pos);

// Parses the argument that starts at pos (not a blank); returns the position
// just after it.
std::size_t parse_argument(std::string_view line, std::size_t pos, std::string& argument);

}  // namespace platform::detail
