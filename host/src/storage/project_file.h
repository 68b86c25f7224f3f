// Project files: JSON in UTF-8 with a format version, one or more projects
// with their trees. Texts are converted to and from the host's code page.
#pragma once

#include <cstddef>
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

std::vector<ItemTree> parse_projects(std::string_view json_text, const std::string& file_name);
std::string serialize_projects(const std::vector<ItemTree>& projects);

// Throws ProjectFileError (also for a file that cannot be read, that is not a
// regular file, or that is larger than kMaxProjectFileBytes); never writes.
std::vector<ItemTree> load_projects(const std::string& path);
// Atomic: the old file stays whole when anything fails.
void save_projects(const std::string& path, const std::vector<ItemTree>& projects);

}  // namespace zentrella
