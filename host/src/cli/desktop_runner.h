// The main window is a Qt library of its own; the executable hands its entry
// point here, so the command line itself needs no Qt and a host built
// without it can say so.
#pragma once

#include <functional>

namespace zentrella::cli {

class PluginHost;

// Runs the main window until the user quits; returns the exit code.
using DesktopRunner = std::function<int(const PluginHost& plugin)>;

void set_desktop_runner(DesktopRunner runner);
const DesktopRunner& desktop_runner();

}  // namespace zentrella::cli
