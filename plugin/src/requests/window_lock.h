// Suspending the redraw of the host's windows during an update bracket. The
// platform layer stands in for the system's window lock; the host's window,
// when it has one, redraws once when the lock is released.
#pragma once

#include <platform/window_lock.h>
#include <zentrella/host_api.h>

namespace scriptlink {

// A window of 0 releases the lock.
inline void LockWindowUpdate(ZtlWindow window) noexcept {
  try {
    platform::lock_window_update(static_cast<platform::WindowId>(window));
  } catch (...) {
    // The lock only saves redraws; a handler that failed must not end the request.
  }
}

}  // namespace scriptlink
