// Project files: JSON in UTF-8 with a format version, one or more projects
// with their trees. Texts are converted to and from the host's code page.
#pragma once

#include <cstddef>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "model/item_data.h"

namespace zentrella {

inline constexpr int kProjectFormatVersion = 1;
inline constexpr const char* kProjectFormatName = "zentrella-projects";
// Far beyond any real project; they keep a crafted file from exhausting the
// host's memory or stack. Each level of items takes two levels of JSON.
inline constexpr std::size_t kMaxProjectFileBytes = std::size_t{64} << 20;
inline constexpr std::size_t kMaxProjectNesting = 512;

// "FILE:LINE:COLUMN: REASON" or "FILE: at PATH: REASON". Malformed JSON,
// nesting deeper than kMaxProjectNesting, a key given twice in one object and
// a number out of range are reported with their line and column.
class ProjectFileError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Where the user was among a file's projects, kept in the file as "current":
// index paths (the project's index in the file, then child indices down to
// the item); an empty path is none. The document is an index among the
// current item's documents.
struct CurrentPlace {
  std::vector<std::size_t> folder;
  std::vector<std::size_t> item;
  std::optional<std::size_t> document;
  bool empty() const { return folder.empty() && item.empty(); }
  bool operator==(const CurrentPlace&) const = default;
};

struct ProjectFileContent {
  std::vector<ItemTree> projects;
  // An entry that is not of this shape is left out, never an error: it only
  // says where the user was.
  CurrentPlace current;
};

ProjectFileContent parse_project_file(std::string_view json_text, const std::string& file_name);
std::vector<ItemTree> parse_projects(std::string_view json_text, const std::string& file_name);
std::string serialize_projects(const std::vector<ItemTree>& projects, const CurrentPlace& current = {});

// Throws ProjectFileError (also for a file that cannot be read, that is not a
// regular file, or that is larger than kMaxProjectFileBytes); never writes.
ProjectFileContent load_project_file(const std::string& path);
std::vector<ItemTree> load_projects(const std::string& path);
// Atomic: the old file stays whole when anything fails.
void save_projects(const std::string& path, const std::vector<ItemTree>& projects, const CurrentPlace& current = {});

}  // namespace zentrella
