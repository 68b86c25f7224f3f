// Byte-level text rules of the host's code page: how long the character at a
// position is, and which characters are blanks.
#pragma once

#include <cstddef>
#include <string_view>

namespace zentrella {

// Bytes of the character that starts at pos (at least 1, never past the end).
std::size_t char_length(std::string_view text, std::size_t pos);
// pos moved back to the start of the character it falls in.
std::size_t char_start(std::string_view text, std::size_t pos);
// Bytes of the longest start of text, at most max_bytes long, that holds only
// whole characters: a character cut by max_bytes or by the end of text (a
// lead byte without its trail) is left out.
std::size_t whole_chars_length(std::string_view text, std::size_t max_bytes);
// Blank at pos: space, tab or the full-width space; 0 when not, else its length.
std::size_t blank_length(std::string_view text, std::size_t pos);
// Whether the character at pos belongs to a word: letters, digits, "_" and
// every multi-byte character.
bool is_word_char(std::string_view text, std::size_t pos);

}  // namespace zentrella
