#include "platform/codepage.h"

#include "platform/error.h"

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <iconv.h>
#include <strings.h>
#include <algorithm>

namespace platform::codepage {
namespace {

// -1 while the variable decides; else the page set for this process.
std::atomic<int> chosen_page{-1};

CodePage page_from_variable() {
  const char* value = std::getenv(kCodePageVariable);
  if (value != nullptr && (std::strcmp(value, "932") == 0 || ::strcasecmp(value, "cp932") == 0))
    return CodePage::cp932;
  return CodePage::utf8;
}

class Converter {
 public:
  Converter(const char* to, const char* from) : handle_(::iconv_open(to, from)) {
    if (handle_ == reinterpret_cast<iconv_t>(-1))
      throw_errno(std::string("convert text from ") + from + " to " + to);
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;
  ~Converter() { ::iconv_close(handle_); }

  // Converts all of text; a sequence that cannot be converted becomes '?' and
  // the input moves on by skip(rest) bytes.
  template <typename Skip>
  std::string convert(std::string_view text, Skip skip) {
    std::string out;
    char buffer[4096];
    char* in = const_cast<char*>(text.data());
    std::size_t in_left = text.size();
    while (in_left > 0) {
      char* put = buffer;
      std::size_t put_left = sizeof buffer;
      std::size_t result = ::iconv(handle_, &in, &in_left, &put, &put_left);
      out.append(buffer, static_cast<std::size_t>(put - buffer));
      if (result != static_cast<std::size_t>(-1) || errno == E2BIG) continue;
      // EILSEQ or EINVAL (cut off at the end): replace and go on.
      std::size_t step = std::min(in_left, skip(std::string_view(in, in_left)));
      in += step;
      in_left -= step;
      out += '?';
      ::iconv(handle_, nullptr, nullptr, nullptr, nullptr);
    }
    return out;
  }

 private:
  iconv_t handle_;
};

// The length of the UTF-8 sequence that starts the text (1 for a stray byte).
std::size_t utf8_sequence_length(std::string_view text) {
  auto lead = static_cast<unsigned char>(text[0]);
  std::size_t length = lead < 0xC2 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : lead < 0xF5 ? 4 : 1;
  if (length > text.size()) return 1;
  for (std::size_t i = 1; i < length; ++i)
    if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) return 1;
  return length;
}

}  // namespace

CodePage current() {
  int chosen = chosen_page.load(std::memory_order_relaxed);
  if (chosen >= 0) return static_cast<CodePage>(chosen);
  return page_from_variable();
}

void set_current(CodePage page) {
  chosen_page.store(static_cast<int>(page), std::memory_order_relaxed);
  // Children (scripts) follow the host's page.
  ::setenv(kCodePageVariable, page == CodePage::cp932 ? "932" : "utf-8", 1);
}

bool is_lead_byte(std::uint8_t byte) { return is_lead_byte(byte, current()); }

bool is_lead_byte(std::uint8_t byte, CodePage page) {
  if (page != CodePage::cp932) return false;
  return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

std::string_view fullwidth_space() { return fullwidth_space(current()); }

std::string_view fullwidth_space(CodePage page) {
  return page == CodePage::cp932 ? std::string_view("\x81\x40") : std::string_view("\xE3\x80\x80");
}

std::string to_utf8(std::string_view text) {
  if (current() == CodePage::utf8 || text.empty()) return std::string(text);
  // A bad pair loses only its lead byte, so the next character still comes through.
  return Converter("UTF-8", "CP932").convert(text, [](std::string_view) { return std::size_t{1}; });
}

std::string from_utf8(std::string_view text) {
  if (current() == CodePage::utf8 || text.empty()) return std::string(text);
  return Converter("CP932", "UTF-8").convert(text, utf8_sequence_length);
}

}  // namespace platform::codepage
