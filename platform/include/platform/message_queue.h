// The message queue that stands for window messages: windows are handlers
// registered on the main thread; any thread posts; the main thread dispatches
// when the host pumps its messages or waits idle.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>

namespace platform {

using WindowId = std::uintptr_t;

struct Message {
  WindowId window = 0;
  std::uint32_t id = 0;
  std::uintptr_t wparam = 0;
  std::intptr_t lparam = 0;
};

using WindowProc = std::function<void(const Message&)>;

class MessageQueue {
 public:
  // The process's one queue.
  static MessageQueue& instance();

  WindowId create_window(WindowProc proc);
  // Messages still queued for a destroyed window are dropped.
  void destroy_window(WindowId window);
  // Thread-safe; false when the window does not exist.
  bool post(WindowId window, std::uint32_t id, std::uintptr_t wparam = 0, std::intptr_t lparam = 0);
  // Main thread: runs every message queued now. Returns how many ran.
  int dispatch_pending();
  // Main thread: waits up to timeout for a message, then dispatches what is queued.
  int wait_and_dispatch(std::chrono::milliseconds timeout);
};

}  // namespace platform
