#include "platform/ini_file.h"

#include <algorithm>
#include <optional>

#include "platform/atomic_file.h"
#include "text_lines.h"

namespace platform {
namespace {

// A settings file is small; anything larger is not one.
constexpr std::size_t kIniSizeLimit = 1024 * 1024;

std::string_view trimmed(std::string_view text) {
  const std::size_t begin = text.find_first_not_of(" \t");
  if (begin == std::string_view::npos) return {};
  const std::size_t end = text.find_last_not_of(" \t");
  return text.substr(begin, end - begin + 1);
}

bool same_name(std::string_view a, std::string_view b) {
  return std::ranges::equal(a, b, [](char x, char y) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    return lower(x) == lower(y);
  });
}

}  // namespace

IniFile IniFile::parse(std::string_view text) {
  IniFile file;
  detail::TextLines lines(text);
  while (const std::optional<std::string_view> next = lines.next()) {
    const std::string_view line = *next;
    const std::string_view content = trimmed(line);
    const std::size_t equals = content.find('=');
    if (content.size() >= 2 && content.front() == '[' && content.back() == ']') {
      file.sections_.push_back(Section{std::string(trimmed(content.substr(1, content.size() - 2))), {}});
    } else if (equals != std::string_view::npos && equals > 0 && content.front() != ';') {
      file.sections_.back().lines.push_back(
          Line{std::string(trimmed(content.substr(0, equals))), std::string(trimmed(content.substr(equals + 1)))});
    } else {
      file.sections_.back().lines.push_back(Line{{}, std::string(line)});
    }
  }
  return file;
}

IniFile IniFile::load(const std::string& path) {
  const std::optional<std::string> text = read_regular_file(path, kIniSizeLimit);
  return text ? parse(*text) : IniFile{};
}

IniFile::Section* IniFile::find_section(std::string_view name) {
  const auto found = std::ranges::find_if(sections_, [&](const Section& s) { return same_name(s.name, name); });
  return found == sections_.end() ? nullptr : &*found;
}

const IniFile::Section* IniFile::find_section(std::string_view name) const {
  return const_cast<IniFile*>(this)->find_section(name);
}

std::optional<std::string> IniFile::value(std::string_view section, std::string_view key) const {
  const Section* found = find_section(section);
  if (found == nullptr || key.empty()) return std::nullopt;
  for (const Line& line : found->lines) {
    if (same_name(line.key, key)) return line.value;
  }
  return std::nullopt;
}

void IniFile::set(std::string_view section, std::string_view key, std::string_view value) {
  Section* found = find_section(section);
  if (found == nullptr) {
    sections_.push_back(Section{std::string(section), {}});
    found = &sections_.back();
  }
  for (Line& line : found->lines) {
    if (same_name(line.key, key)) {
      line.value = std::string(value);
      return;
    }
  }
  found->lines.push_back(Line{std::string(key), std::string(value)});
}

std::string IniFile::text() const {
  std::string text;
  for (const Section& section : sections_) {
    if (&section != &sections_.front() || !section.name.empty()) text += "[" + section.name + "]\n";
    for (const Line& line : section.lines)
      text += line.key.empty() ? line.value + "\n" : line.key + "=" + line.value + "\n";
  }
  return text;
}

void IniFile::save(const std::string& path) const { write_file_atomically(path, text()); }

}  // namespace platform
