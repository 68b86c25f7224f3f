#include "cli/terminal_text.h"

#include <cstdio>

namespace zentrella::cli {

std::string printable(std::string_view text, bool utf8) {
  std::string shown;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto byte = static_cast<unsigned char>(text[i]);
    const auto next = i + 1 < text.size() ? static_cast<unsigned char>(text[i + 1]) : 0;
    char escaped[16];
    if (byte < 0x20 || byte == 0x7F) {
      std::snprintf(escaped, sizeof escaped, "\\x%02x", byte);
    } else if (utf8 && byte == 0xC2 && next >= 0x80 && next <= 0x9F) {
      std::snprintf(escaped, sizeof escaped, "\\u%04x", next);
      ++i;
    } else {
      shown += text[i];
      continue;
    }
    shown += escaped;
  }
  return shown;
}

}  // namespace zentrella::cli
