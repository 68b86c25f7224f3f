#include "platform/script_description.h"

#include <exception>
#include <optional>

#include "platform/atomic_file.h"
#include "platform/codepage.h"
#include "text_lines.h"

namespace platform {
namespace {

// Only the leading lines matter; a huge file is not read whole for them.
constexpr std::size_t kDescriptionReadLimit = 64 * 1024;

std::string_view trim_start(std::string_view text, std::string_view wide_space) {
  for (;;) {
    if (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
      text.remove_prefix(1);
    } else if (text.starts_with(wide_space)) {
      text.remove_prefix(wide_space.size());
    } else {
      return text;
    }
  }
}

std::string_view trim_end(std::string_view text, std::string_view wide_space) {
  for (;;) {
    if (!text.empty() && (text.back() == ' ' || text.back() == '\t')) {
      text.remove_suffix(1);
    } else if (text.ends_with(wide_space)) {
      text.remove_suffix(wide_space.size());
    } else {
      return text;
    }
  }
}

}  // namespace

std::string script_description_of(std::string_view text) {
  const std::string_view wide_space = codepage::fullwidth_space();
  detail::TextLines lines(text);
  while (const std::optional<std::string_view> next = lines.next()) {
    const std::string_view line = trim_end(trim_start(*next, wide_space), wide_space);
    if (!line.starts_with('#')) return {};
    if (line.starts_with("#!")) continue;
    return std::string(trim_start(line.substr(1), wide_space));
  }
  return {};
}

std::string read_script_description(const std::string& path) {
  try {
    const std::optional<std::string> text = read_regular_file_start(path, kDescriptionReadLimit);
    return text ? script_description_of(*text) : std::string();
  } catch (const std::exception&) {
    return {};
  }
}

}  // namespace platform
