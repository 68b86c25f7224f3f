// A script's description: its leading comment. The first comment line that is
// not a "#!" line gives it, provided only "#!" lines come before it; the script
// list shows it, and a command line may list scripts with it too.
#pragma once

#include <string>
#include <string_view>

namespace platform {

// The description of a script's text, in the text's own code page (the one in
// force decides which full-width space is trimmed with blanks and tabs). A
// last line without a line break counts like any other.
std::string script_description_of(std::string_view text);

// The description of the script at path; "" when the file cannot be read
// (gone, a folder, no permission): one unreadable script never breaks a list.
std::string read_script_description(const std::string& path);

}  // namespace platform
