// Appends one line to a log file in a single write, so lines that several
// processes append at once never interleave.
#pragma once

#include <string>
#include <string_view>

namespace platform::detail {

// Throws SystemError when the file cannot be opened or written.
void append_line(const std::string& path, std::string_view line);

}  // namespace platform::detail
