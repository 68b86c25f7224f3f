// Texts cut to a fixed host field: never in the middle of a character of the
// code page in force, so the host never gets half a character.
#pragma once

#include <cstddef>
#include <string_view>

#include <platform/codepage.h>

namespace scriptlink {

// The longest start of text that holds whole characters only and fits
// max_bytes. In code page 932 characters are found by walking from the start,
// since a trail byte may look like a lead byte.
std::string_view FitText(std::string_view text, std::size_t max_bytes);
std::string_view FitText(std::string_view text, std::size_t max_bytes, platform::codepage::CodePage page);

// Writes the fitted text and a NUL into field (which must hold max_bytes + 1).
void CopyFitted(char* field, std::string_view text, std::size_t max_bytes);

// A NUL-terminated text in a fixed field that may be full without its NUL.
std::string_view FieldText(const char* field, std::size_t size) noexcept;

}  // namespace scriptlink
