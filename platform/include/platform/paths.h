// Paths with "/": the relative-path rule (common leading folders dropped, one
// "../" per remaining folder of the base) and its inverse.
#pragma once

#include <string>
#include <string_view>

namespace platform::paths {

// path relative to base_folder; an absolute path that shares nothing with the
// base but the root is still made relative (there are no drives here).
std::string make_relative(std::string_view path, std::string_view base_folder);
// path resolved with base_folder as the current directory; absolute paths stay.
std::string make_absolute(std::string_view path, std::string_view base_folder);

// The folder part with its trailing "/", or "" when there is none.
std::string folder_of(std::string_view path);
// The name without its folder.
std::string file_name_of(std::string_view path);
// The extension with its dot ("" when none): "a/b.txt" -> ".txt".
std::string extension_of(std::string_view path);
// The name without folder and extension: "a/*.txt" -> "*".
std::string stem_of(std::string_view path);
// Folder with a trailing "/" (unchanged when empty or already there).
std::string with_trailing_slash(std::string_view folder);
// Creates the folder and all missing parents; throws SystemError on failure.
void create_folders(const std::string& folder);
bool file_exists(const std::string& path);

}  // namespace platform::paths
