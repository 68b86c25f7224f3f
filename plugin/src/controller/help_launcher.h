// Opens a help page by name. There is no compiled help viewer on this
// platform, so pages always open as loose HTML files from the plug-in
// folder's "Help/" with the desktop's default program.
#pragma once

#include <string>

#include <platform/message_queue.h>

namespace scriptlink {

// Once at start-up: looks for a compiled viewer (there is none here).
void PrepareHelp();
bool HelpViewerAvailable();

// plug-in folder + "Help/" + page, or "Help/Index.html" for an empty page.
std::string HelpPagePath(const std::string& plugin_path, const std::string& page);

// Every caller passes 0 as owner. The shell's result is not checked: a
// missing page is the opener's to report.
void ShowHelp(platform::WindowId owner, const std::string& plugin_path, const std::string& page);

}  // namespace scriptlink
