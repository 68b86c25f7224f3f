// Opening a file or address with its default program (xdg-open). When
// ZTL_SHELL_OPEN_LOG names a file, each target is appended to it as a line
// instead, so tests see what was opened without starting a program.
#pragma once

#include <string>

namespace platform::shell {

inline constexpr const char* kShellOpenLogVariable = "ZTL_SHELL_OPEN_LOG";

// Never throws for a target that does not exist: that is the opener's affair.
void open(const std::string& target);

}  // namespace platform::shell
