// TNotifyWindowForm: the hidden window that the wait thread posts to. Its one
// message handler, WmExtMacro, runs on the main thread when the host pumps
// its messages and calls back (to serve an external script).
#pragma once

#include <functional>

#include <platform/message_queue.h>

namespace scriptlink {

class TNotifyWindowForm {
 public:
  explicit TNotifyWindowForm(std::function<void()> on_ext_macro);
  TNotifyWindowForm(const TNotifyWindowForm&) = delete;
  TNotifyWindowForm& operator=(const TNotifyWindowForm&) = delete;
  ~TNotifyWindowForm();

  platform::WindowId handle() const noexcept { return window_; }
  // Message 1026 (both parameters 0).
  void WmExtMacro(const platform::Message& message);

 private:
  std::function<void()> on_ext_macro_;
  platform::WindowId window_ = 0;
};

}  // namespace scriptlink
