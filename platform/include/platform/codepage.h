// The system ANSI code page: UTF-8 by default, or 932. ZTL_CODEPAGE ("utf-8" or
// "932") selects it; a host option sets the variable for itself and its children.
// Every rule that speaks of lead bytes or the full-width space asks this module.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace platform::codepage {

enum class CodePage { utf8, cp932 };

inline constexpr const char* kCodePageVariable = "ZTL_CODEPAGE";

CodePage current();
// Overrides the variable for this process (tests, host option).
void set_current(CodePage page);

// A lead byte of a double-byte character: never in UTF-8; 0x81-0x9F, 0xE0-0xFC in 932.
bool is_lead_byte(std::uint8_t byte);
bool is_lead_byte(std::uint8_t byte, CodePage page);
// The full-width space: U+3000 in UTF-8, 0x81 0x40 in 932.
std::string_view fullwidth_space();
std::string_view fullwidth_space(CodePage page);

// Host texts are kept in the code page; these convert for display and files.
std::string to_utf8(std::string_view text);
std::string from_utf8(std::string_view text);

}  // namespace platform::codepage
