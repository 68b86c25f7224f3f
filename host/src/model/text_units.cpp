#include "model/text_units.h"

#include <algorithm>
#include <cctype>
#include <cstdint>

#include <platform/codepage.h>

namespace zentrella {

namespace {

std::size_t utf8_length(std::uint8_t lead) {
  if (lead >= 0xF0 && lead <= 0xF7) return 4;
  if (lead >= 0xE0) return lead <= 0xEF ? 3 : 1;
  if (lead >= 0xC0) return 2;
  return 1;
}

using platform::codepage::CodePage;

// What the lead byte at pos announces in page, whether or not the text holds
// it all. Callers that walk a text look the page up once for the whole walk.
std::size_t announced_length(std::string_view text, std::size_t pos, CodePage page) {
  const auto lead = static_cast<std::uint8_t>(text[pos]);
  return page == CodePage::utf8 ? utf8_length(lead) : (platform::codepage::is_lead_byte(lead, page) ? 2 : 1);
}

std::size_t char_length(std::string_view text, std::size_t pos, CodePage page) {
  if (pos >= text.size()) return 1;
  return std::min(announced_length(text, pos, page), text.size() - pos);
}

}  // namespace

std::size_t char_length(std::string_view text, std::size_t pos) {
  return char_length(text, pos, platform::codepage::current());
}

// Walked from the start: in code page 932 a trail byte can look like a lead
// byte, so only the walk knows where characters begin.
std::size_t whole_chars_length(std::string_view text, std::size_t max_bytes) {
  const std::size_t limit = std::min(max_bytes, text.size());
  // ASCII is one byte a character in every page: a prefix of it needs no
  // page, and most texts are nothing else.
  std::size_t end = 0;
  while (end < limit && static_cast<std::uint8_t>(text[end]) < 0x80) ++end;
  if (end == limit) return end;
  const CodePage page = platform::codepage::current();
  while (end < limit) {
    const std::size_t next = end + announced_length(text, end, page);
    if (next > limit) break;
    end = next;
  }
  return end;
}

std::size_t char_start(std::string_view text, std::size_t pos) {
  const CodePage page = platform::codepage::current();
  std::size_t at = 0;
  while (at < text.size()) {
    const std::size_t next = at + char_length(text, at, page);
    if (next > pos) return at;
    at = next;
  }
  return std::min(pos, text.size());
}

std::size_t blank_length(std::string_view text, std::size_t pos) {
  if (pos >= text.size()) return 0;
  if (text[pos] == ' ' || text[pos] == '\t') return 1;
  const std::string_view wide = platform::codepage::fullwidth_space();
  return text.substr(pos, wide.size()) == wide ? wide.size() : 0;
}

bool is_word_char(std::string_view text, std::size_t pos) {
  if (pos >= text.size()) return false;
  if (char_length(text, pos) > 1) return blank_length(text, pos) == 0;
  const auto byte = static_cast<unsigned char>(text[pos]);
  return std::isalnum(byte) != 0 || byte == '_';
}

}  // namespace zentrella
