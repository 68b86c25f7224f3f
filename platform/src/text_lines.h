// The lines of a text, each without its LF or CR LF; a last line without a
// line break is a line too.
#pragma once

#include <optional>
#include <string_view>

namespace platform::detail {

class TextLines {
 public:
  explicit TextLines(std::string_view text) : text_(text) {}

  std::optional<std::string_view> next() {
    if (begin_ >= text_.size()) return std::nullopt;
    std::size_t end = text_.find('\n', begin_);
    if (end == std::string_view::npos) end = text_.size();
    std::string_view line = text_.substr(begin_, end - begin_);
    if (line.ends_with('\r')) line.remove_suffix(1);
    begin_ = end + 1;
    return line;
  }

 private:
  std::string_view text_;
  std::size_t begin_ = 0;
};

}  // namespace platform::detail
