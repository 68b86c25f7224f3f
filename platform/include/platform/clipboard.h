// The clipboard: the desktop's where there is one (text put there stays after
// the host exits), through wl-copy and wl-paste under Wayland, xclip or xsel
// under X; else the host's own, a file in the user's runtime folder
// (ZTL_CLIPBOARD_FILE names another) that tests and the user can read. A
// display without any of those tools is said once per process on stderr.
#pragma once

#include <string>
#include <string_view>

namespace platform::clipboard {

inline constexpr const char* kClipboardFileVariable = "ZTL_CLIPBOARD_FILE";

void set_text(std::string_view text);
std::string get_text();

}  // namespace platform::clipboard
