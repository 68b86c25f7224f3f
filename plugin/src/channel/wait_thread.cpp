#include "channel/wait_thread.h"

#include <chrono>

#include <ztl/channel.h>

namespace scriptlink {

TWaitThread::TWaitThread(platform::WindowId notify_window)
    : notify_window_(notify_window),
      host_wait_(platform::NamedEvent::create_or_open(ZTL_HOST_WAIT_EVENT_NAME)),
      client_wait_(platform::NamedEvent::create_or_open(ZTL_CLIENT_WAIT_EVENT_NAME)),
      thread_([this] { Execute(); }) {}

TWaitThread::~TWaitThread() {
  Stop();
  if (thread_.joinable()) thread_.join();
}

void TWaitThread::Execute() {
  while (!stop_.load(std::memory_order_relaxed)) {
    if (client_wait_.wait(std::chrono::milliseconds(ZTL_DISPATCH_WAIT_MS)) != platform::WaitResult::timeout)
      platform::MessageQueue::instance().post(notify_window_, ZTL_WM_EXT_MACRO, 0, 0);
  }
}

}  // namespace scriptlink
