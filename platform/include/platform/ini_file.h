// A settings file in the INI shape: "[Section]" headers and "Key=Value" lines.
// Names are matched without regard to ASCII case; every line the reader does
// not understand (comments, blank lines, stray text) is kept as it stands, so
// writing a file back changes only the values that were set.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

class IniFile {
 public:
  static IniFile parse(std::string_view text);
  // An empty file when path does not exist; throws SystemError or
  // FileRefused when it cannot be read.
  static IniFile load(const std::string& path);

  std::optional<std::string> value(std::string_view section, std::string_view key) const;
  // Replaces the key's value, or adds the key (and the section) at its end.
  void set(std::string_view section, std::string_view key, std::string_view value);

  std::string text() const;
  // Writes atomically: a failed save leaves the old file whole.
  void save(const std::string& path) const;

 private:
  struct Line {
    std::string key;  // empty: a line kept as it stands
    std::string value;
  };
  struct Section {
    std::string name;  // empty: the lines before the first header
    std::vector<Line> lines;
  };

  Section* find_section(std::string_view name);
  const Section* find_section(std::string_view name) const;

  std::vector<Section> sections_{Section{}};
};

}  // namespace platform
