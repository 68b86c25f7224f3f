// Line breaks between the host (CR LF) and scripts (LF), aware of the
// double-byte characters of the system code page.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace scriptlink {

// Host to script: removes every CR that is not the second byte of a double-byte
// character, so CR LF becomes LF and a lone CR disappears.
std::string StripCarriageReturns(std::string_view text);
// The same on length bytes of text, in place; returns the length kept.
std::size_t StripCarriageReturnsInPlace(char* text, std::size_t length);
// Script to host: the text up to its first NUL with every line break (CR LF,
// lone CR, lone LF) made CR LF; a final break is kept only if the text had one.
std::string NormalizeLineBreaks(std::string_view text);

}  // namespace scriptlink
