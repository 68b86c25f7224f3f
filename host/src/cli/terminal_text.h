// Texts from the user's files (command captions, script descriptions) as the
// terminal may be given them.
#pragma once

#include <string>
#include <string_view>

namespace zentrella::cli {

// A crafted file must not drive the terminal: C0 controls and DEL (which
// never occur inside a character of either code page) are escaped as bytes,
// and, in UTF-8 text, C1 controls as they are spelt there.
std::string printable(std::string_view text, bool utf8);

}  // namespace zentrella::cli
