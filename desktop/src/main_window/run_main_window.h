// `zentrella desktop`: the main window over the session the command line has
// set up, with the loaded plug-in's commands, until the user quits.
#pragma once

namespace zentrella::cli {
class PluginHost;
}

namespace desktop {

// Returns the exit code: 1 when the user quit without the changes saved.
int run_main_window(const zentrella::cli::PluginHost& plugin);

// Draws the main window over the session, again with a wait form open over
// it, and the current item's properties, into main-window.png,
// main-window-wait-form.png and item-properties.png in folder.
void render_main_window(const zentrella::cli::PluginHost* plugin, const char* folder);

}  // namespace desktop
