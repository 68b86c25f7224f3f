// The plug-in's own version pair, read from the version note of the plug-in
// file (both halves 0 when the file has none).
#pragma once

#include <platform/file_version.h>

namespace scriptlink {

platform::FileVersion PluginVersion();

}  // namespace scriptlink
