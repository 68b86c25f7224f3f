#include "plugin_version.h"

#include "plugin_globals.h"

namespace scriptlink {

platform::FileVersion PluginVersion() {
  return platform::read_file_version(PluginPath()).value_or(platform::FileVersion{});
}

}  // namespace scriptlink
