// The desktop front end of the prompts (Qt 6 Widgets): message boxes and the
// dialogs of platform/prompt_dialogs.h, laid out in pixels at 96 dpi and
// scaled to the screen's density. The host installs it with
// platform::prompt::set_front_end; it makes the application object itself
// when the process has none.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include <platform/prompt.h>

namespace desktop {

// Whether a display is there to show windows on: the X or Wayland display
// the environment names answers a connect, or a Qt platform is chosen
// explicitly (QT_QPA_PLATFORM).
bool display_reachable();

std::unique_ptr<platform::prompt::FrontEnd> make_desktop_front_end();

// Renders every dialog of the system, with Japanese captions, into PNG files
// in folder (made if missing); returns the files written.
std::vector<std::string> render_dialogs(const std::string& folder);

}  // namespace desktop
