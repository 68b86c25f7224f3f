// Reads a request payload without ever reading past it: a missing word reads
// as 0, a missing text as empty.
#pragma once

#include <cstdint>
#include <cstring>
#include <span>
#include <string_view>

namespace scriptlink {

class PayloadReader {
 public:
  explicit PayloadReader(std::span<const std::uint8_t> payload) noexcept : payload_(payload) {}

  // The next little-endian 32-bit word; 0 (and the rest consumed) when fewer than 4 bytes remain.
  std::int32_t word() noexcept {
    if (remaining() < 4) {
      pos_ = payload_.size();
      return 0;
    }
    std::uint32_t raw;
    std::memcpy(&raw, payload_.data() + pos_, 4);
    pos_ += 4;
    return static_cast<std::int32_t>(raw);
  }

  // The next text up to its NUL (which is consumed); a text without a NUL runs
  // to the end of the payload.
  std::string_view text() noexcept {
    const char* begin = reinterpret_cast<const char*>(payload_.data()) + pos_;
    // memchr: a document's text may run to megabytes.
    const void* nul = remaining() > 0 ? std::memchr(begin, '\0', remaining()) : nullptr;
    const std::size_t length = nul != nullptr ? static_cast<std::size_t>(static_cast<const char*>(nul) - begin) : remaining();
    pos_ += length;
    if (pos_ < payload_.size()) ++pos_;  // the NUL
    return {begin, length};
  }

  // The next byte without taking it; 0 at the end.
  std::uint8_t peek() const noexcept { return remaining() > 0 ? payload_[pos_] : 0; }

  std::size_t remaining() const noexcept { return payload_.size() - pos_; }
  bool empty() const noexcept { return payload_.empty(); }
  std::span<const std::uint8_t> bytes() const noexcept { return payload_; }

 private:
  std::span<const std::uint8_t> payload_;
  std::size_t pos_ = 0;
};

}  // namespace scriptlink
