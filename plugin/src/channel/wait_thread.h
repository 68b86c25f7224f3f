// TWaitThread: on a station, waits for external scripts. It holds the
// host-wait and client-wait events for its life and, whenever a script signals
// the client-wait event, posts message 1026 to the notify window.
#pragma once

#include <atomic>
#include <thread>

#include <platform/message_queue.h>
#include <platform/named_event.h>

namespace scriptlink {

class TWaitThread {
 public:
  // Creates both events and starts waiting. Throws when an event cannot be made.
  explicit TWaitThread(platform::WindowId notify_window);
  TWaitThread(const TWaitThread&) = delete;
  TWaitThread& operator=(const TWaitThread&) = delete;
  // Stops (noticed within 100 ms) and joins.
  ~TWaitThread();

  void Stop() noexcept { stop_.store(true, std::memory_order_relaxed); }
  // Signalled by the main thread when the channel for an external script is ready.
  platform::NamedEvent& host_wait_event() noexcept { return host_wait_; }

 private:
  void Execute();

  platform::WindowId notify_window_;
  platform::NamedEvent host_wait_;
  platform::NamedEvent client_wait_;
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

}  // namespace scriptlink
