#include "controller/plugin_version.h"

#include <string>

#include "controller/plugin_globals.h"

namespace scriptlink {

platform::FileVersion PluginVersion() {
  // Read once per plug-in path: a script may ask for it in a loop.
  static std::string read_path;
  static platform::FileVersion version;
  if (read_path != PluginPath() || read_path.empty()) {
    version = platform::read_file_version(PluginPath()).value_or(platform::FileVersion{});
    read_path = PluginPath();
  }
  return version;
}

}  // namespace scriptlink
