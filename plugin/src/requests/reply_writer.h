// Builds a reply payload: words, texts (with their NUL) and item lists.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace scriptlink {

class ReplyWriter {
 public:
  ReplyWriter& word(std::int32_t value) {
    const auto raw = static_cast<std::uint32_t>(value);
    for (int shift = 0; shift < 32; shift += 8) bytes_.push_back(static_cast<std::uint8_t>(raw >> shift));
    return *this;
  }
  ReplyWriter& handle(std::uint32_t value) { return word(static_cast<std::int32_t>(value)); }
  // The text's bytes and one NUL.
  ReplyWriter& text(std::string_view value) {
    bytes_.insert(bytes_.end(), value.begin(), value.end());
    bytes_.push_back(0);
    return *this;
  }
  ReplyWriter& raw(std::span<const std::uint8_t> value) {
    bytes_.insert(bytes_.end(), value.begin(), value.end());
    return *this;
  }
  void reserve(std::size_t size) { bytes_.reserve(size); }

  std::span<const std::uint8_t> bytes() const noexcept { return bytes_; }

 private:
  std::vector<std::uint8_t> bytes_;
};

}  // namespace scriptlink
