// Opening a file or address with its default program (xdg-open). When
// ZTL_SHELL_OPEN_LOG names a file, each target is appended to it as a line
// instead, so tests see what was opened without starting a program.
#pragma once

#include <string>

namespace platform::shell {

inline constexpr const char* kShellOpenLogVariable = "ZTL_SHELL_OPEN_LOG";

// Never throws for a target that does not exist: that is the opener's affair.
void open(const std::string& target);

// What a file link starts: a file, folder or address, the folder to start in
// (empty: the caller's), and the option text.
struct Launch {
  std::string target;
  std::string folder;
  std::string option;
};

// A target that is itself a program (a regular file the user may execute) is
// started with the option text's blank-separated words as its arguments;
// anything else goes to xdg-open. Never through a shell: the texts are
// arguments, so their characters are only characters. With the log variable
// set, appends "target<TAB>folder<TAB>option" instead. False (and a line on
// stderr) when nothing could be started.
bool open_with(const Launch& launch);

}  // namespace platform::shell
