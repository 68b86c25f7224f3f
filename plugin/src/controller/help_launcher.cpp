#include "controller/help_launcher.h"

#include <platform/paths.h>
#include <platform/shell.h>

namespace scriptlink {

namespace {
bool g_viewer_available = false;
}

void PrepareHelp() { g_viewer_available = false; }

bool HelpViewerAvailable() { return g_viewer_available; }

std::string HelpPagePath(const std::string& plugin_path, const std::string& page) {
  return platform::paths::folder_of(plugin_path) + "Help/" + (page.empty() ? "Index.html" : page);
}

void ShowHelp(platform::WindowId /*owner*/, const std::string& plugin_path,
              const std::string& page) {
  platform::shell::open(HelpPagePath(plugin_path, page));
}

}  // namespace scriptlink
