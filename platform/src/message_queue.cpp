#include "platform/message_queue.h"

#include <condition_variable>
#include <deque>
#include <map>
#include <memory>
#include <mutex>

namespace platform {
namespace {

// The queue's state lives here so the public class stays a plain facade.
struct QueueState {
  std::mutex mutex;
  std::condition_variable posted;
  // Shared so a handler can destroy its own window while it runs.
  std::map<WindowId, std::shared_ptr<WindowProc>> windows;
  std::deque<Message> messages;
  WindowId next_window = 1;
};

QueueState& state() {
  static QueueState queue;
  return queue;
}

std::shared_ptr<WindowProc> window_proc(QueueState& queue, WindowId window) {
  std::lock_guard lock(queue.mutex);
  auto it = queue.windows.find(window);
  return it == queue.windows.end() ? nullptr : it->second;
}

}  // namespace

MessageQueue& MessageQueue::instance() {
  static MessageQueue queue;
  return queue;
}

WindowId MessageQueue::create_window(WindowProc proc) {
  QueueState& queue = state();
  auto shared = std::make_shared<WindowProc>(std::move(proc));
  std::lock_guard lock(queue.mutex);
  // Ids are never reused, so a stale id cannot reach a newer window.
  WindowId window = queue.next_window++;
  queue.windows.emplace(window, std::move(shared));
  return window;
}

void MessageQueue::destroy_window(WindowId window) {
  QueueState& queue = state();
  std::shared_ptr<WindowProc> gone;
  std::lock_guard lock(queue.mutex);
  auto it = queue.windows.find(window);
  if (it == queue.windows.end()) return;
  gone = std::move(it->second);
  queue.windows.erase(it);
  std::erase_if(queue.messages, [window](const Message& m) { return m.window == window; });
  // gone is released after the lock, in case the handler's captures post.
}

bool MessageQueue::post(WindowId window, std::uint32_t id, std::uintptr_t wparam,
                        std::intptr_t lparam) {
  QueueState& queue = state();
  {
    std::lock_guard lock(queue.mutex);
    if (!queue.windows.contains(window)) return false;
    queue.messages.push_back({window, id, wparam, lparam});
  }
  queue.posted.notify_all();
  return true;
}

int MessageQueue::dispatch_pending() {
  QueueState& queue = state();
  std::deque<Message> batch;
  {
    std::lock_guard lock(queue.mutex);
    batch.swap(queue.messages);
  }
  // Handlers run outside the lock: they may post, create or destroy windows.
  // What they post waits for the next dispatch, so a handler that posts to
  // itself cannot keep this call running for ever.
  int ran = 0;
  while (!batch.empty()) {
    Message message = batch.front();
    batch.pop_front();
    std::shared_ptr<WindowProc> proc = window_proc(queue, message.window);
    if (!proc || !*proc) continue;
    try {
      (*proc)(message);
    } catch (...) {
      // A throwing handler must not lose the messages queued behind it.
      std::lock_guard lock(queue.mutex);
      queue.messages.insert(queue.messages.begin(), batch.begin(), batch.end());
      throw;
    }
    ++ran;
  }
  return ran;
}

int MessageQueue::wait_and_dispatch(std::chrono::milliseconds timeout) {
  QueueState& queue = state();
  {
    std::unique_lock lock(queue.mutex);
    queue.posted.wait_for(lock, timeout, [&queue] { return !queue.messages.empty(); });
  }
  return dispatch_pending();
}

}  // namespace platform
