#include "requests/text_fit.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace scriptlink {

namespace {

bool IsUtf8Continuation(char byte) { return (static_cast<std::uint8_t>(byte) & 0xC0) == 0x80; }

std::size_t Utf8Fit(std::string_view text, std::size_t max_bytes) {
  std::size_t end = max_bytes;
  // text[end] is the first byte left out: when it continues a character, that
  // character started before and goes too.
  while (end > 0 && IsUtf8Continuation(text[end])) --end;
  return end;
}

std::size_t Cp932Fit(std::string_view text, std::size_t max_bytes) {
  std::size_t end = 0;
  while (end < text.size()) {
    const bool lead = platform::codepage::is_lead_byte(static_cast<std::uint8_t>(text[end]),
                                                      platform::codepage::CodePage::cp932);
    const std::size_t next = end + (lead ? 2 : 1);
    if (next > max_bytes) break;
    end = next;
  }
  return end;
}

}  // namespace

std::string_view FitText(std::string_view text, std::size_t max_bytes, platform::codepage::CodePage page) {
  if (text.size() <= max_bytes) return text;
  const std::size_t end =
      page == platform::codepage::CodePage::cp932 ? Cp932Fit(text, max_bytes) : Utf8Fit(text, max_bytes);
  return text.substr(0, end);
}

std::string_view FitText(std::string_view text, std::size_t max_bytes) {
  if (text.size() <= max_bytes) return text;  // fits in any page: no need to look the page up
  return FitText(text, max_bytes, platform::codepage::current());
}

void CopyFitted(char* field, std::string_view text, std::size_t max_bytes) {
  const std::string_view fitted = FitText(text, max_bytes);
  std::copy(fitted.begin(), fitted.end(), field);  // an empty text may have no data at all
  field[fitted.size()] = '\0';
}

std::string_view FieldText(const char* field, std::size_t size) noexcept { return {field, ::strnlen(field, size)}; }

}  // namespace scriptlink
