#include "platform/window_lock.h"

namespace platform {

namespace {

struct LockState {
  WindowId locked = 0;
  std::function<void(WindowId)> handler;
};

LockState& state() {
  static LockState lock;
  return lock;
}

}  // namespace

bool lock_window_update(WindowId window) {
  LockState& lock = state();
  if (window != 0 && lock.locked != 0 && lock.locked != window) return false;
  const bool changed = lock.locked != window;
  lock.locked = window;
  if (changed && lock.handler) lock.handler(window);
  return true;
}

WindowId locked_window() { return state().locked; }

void set_window_lock_handler(std::function<void(WindowId)> handler) { state().handler = std::move(handler); }

}  // namespace platform
