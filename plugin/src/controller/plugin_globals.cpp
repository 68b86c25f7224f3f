#include "controller/plugin_globals.h"

#include <platform/paths.h>

namespace scriptlink {

namespace {

struct Globals {
  std::string plugin_path;
  std::string plugin_folder;
  std::string user_folder;
  std::string script_folder;
};

Globals& TheGlobals() {
  static Globals globals;
  return globals;
}

}  // namespace

void SetPluginPath(std::string_view plugin_path) {
  TheGlobals().plugin_path = std::string(plugin_path);
  TheGlobals().plugin_folder = platform::paths::folder_of(plugin_path);
}

void SetUserFolder(std::string_view user_folder) {
  TheGlobals().user_folder = std::string(user_folder);
  TheGlobals().script_folder = std::string(user_folder) + "Script/";
}

const std::string& PluginPath() { return TheGlobals().plugin_path; }
const std::string& PluginFolder() { return TheGlobals().plugin_folder; }
const std::string& UserFolder() { return TheGlobals().user_folder; }
const std::string& ScriptFolder() { return TheGlobals().script_folder; }
std::string CommandFilePath() { return TheGlobals().user_folder + "Scriptlink.cmd"; }

}  // namespace scriptlink
