// Whole-file reads and atomic writes: a temporary file beside the target,
// written, synced, then renamed over it, so a failure never leaves a truncated
// file and the old content stays whole.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace platform {

// Throws SystemError; the target is untouched when anything fails.
void write_file_atomically(const std::string& path, std::string_view bytes);
// nullopt when the file does not exist; throws SystemError on other failures.
std::optional<std::string> read_whole_file(const std::string& path);

}  // namespace platform
