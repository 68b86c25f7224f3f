// Suspending the redraw of a window while it is changed in many steps: one
// window of the process at a time may be locked; locking 0 releases it. The
// window that draws (the host's main window, when it has one) installs a
// handler that hears every change of the lock. Main thread only.
#pragma once

#include <functional>

#include <platform/message_queue.h>

namespace platform {

// False when another window holds the lock (it stays with that window).
bool lock_window_update(WindowId window);
// The window locked now, 0 for none.
WindowId locked_window();
void set_window_lock_handler(std::function<void(WindowId locked)> handler);

}  // namespace platform
