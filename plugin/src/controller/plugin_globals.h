// The library's unit-level strings: set at start-up, released when the
// library is unloaded. All folders end with "/" once set.
#pragma once

#include <string>
#include <string_view>

namespace scriptlink {

// Stores the plug-in path and derives the plug-in folder (its directory).
void SetPluginPath(std::string_view plugin_path);
// Stores the user folder as the host gave it and derives the script folder.
// Like the host's own convention, a folder without a trailing "/" is joined by
// plain concatenation all the same.
void SetUserFolder(std::string_view user_folder);

const std::string& PluginPath();
const std::string& PluginFolder();
const std::string& UserFolder();
const std::string& ScriptFolder();
// User folder + "Scriptlink.cmd".
std::string CommandFilePath();

}  // namespace scriptlink
