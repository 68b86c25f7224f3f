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

// The same a part at a time: the kept bytes gather at the front in order, so
// the front can go out while the rest is still being stripped.
class CarriageReturnStripper {
 public:
  CarriageReturnStripper(char* text, std::size_t length);
  // The length once every CR is gone (counted, not stripped).
  std::size_t kept_length() const noexcept;
  // Strips until at least end kept bytes are at the front, or all are.
  void StripTo(std::size_t end);
  // Kept bytes at the front so far.
  std::size_t stripped() const noexcept { return out_; }

 private:
  void StripDoubleByteText();

  char* text_;
  std::size_t length_;
  std::size_t in_ = 0;   // the first byte not looked at yet
  std::size_t out_ = 0;  // where the next kept byte goes
};
// Script to host: the text up to its first NUL with every line break (CR LF,
// lone CR, lone LF) made CR LF; a final break is kept only if the text had one.
std::string NormalizeLineBreaks(std::string_view text);
// The room NormalizeLineBreaksInto needs for a text of length bytes.
std::size_t NormalizedCapacity(std::size_t length);
// The same into out, which has room for NormalizedCapacity(text.size())
// bytes; returns the length written (no NUL is added).
std::size_t NormalizeLineBreaksInto(std::string_view text, char* out);

}  // namespace scriptlink
