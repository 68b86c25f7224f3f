#include "requests/line_breaks.h"

#include <cstdint>

#include <platform/codepage.h>

namespace scriptlink {

namespace {

using platform::codepage::CodePage;

// The page is looked up once per text, not per byte: the look-up may read the environment.
bool IsLead(char byte, CodePage page) { return platform::codepage::is_lead_byte(static_cast<std::uint8_t>(byte), page); }

// True when the last byte is a line break of its own: not part of a double-byte character.
bool EndsWithLineBreak(std::string_view text) {
  if (text.empty() || (text.back() != '\n' && text.back() != '\r')) return false;
  const CodePage page = platform::codepage::current();
  std::size_t p = 0;
  while (p < text.size() - 1) p += IsLead(text[p], page) ? 2 : 1;
  return p == text.size() - 1 && !IsLead(text[p], page);
}

}  // namespace

std::string StripCarriageReturns(std::string_view text) {
  const CodePage page = platform::codepage::current();
  std::string result;
  result.reserve(text.size());
  for (std::size_t p = 0; p < text.size();) {
    if (IsLead(text[p], page)) {
      result.append(text.substr(p, 2));
      p += 2;
    } else {
      if (text[p] != '\r') result.push_back(text[p]);
      ++p;
    }
  }
  return result;
}

std::string NormalizeLineBreaks(std::string_view text) {
  text = text.substr(0, text.find('\0'));
  if (text.empty()) return {};
  const bool final_break = EndsWithLineBreak(text);
  std::string result;
  result.reserve(text.size() + text.size() / 8 + 2);
  std::size_t p = 0;
  while (p < text.size()) {  // one line per turn
    const std::size_t end = text.find_first_of("\r\n", p);
    if (end == std::string_view::npos) {
      result.append(text.substr(p));
      result.append("\r\n");
      break;
    }
    result.append(text.substr(p, end - p));
    result.append("\r\n");
    p = end + (text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n' ? 2 : 1);
  }
  if (!final_break) result.resize(result.size() - 2);
  return result;
}

}  // namespace scriptlink
