#include "controller/notify_window.h"

#include <ztl/channel.h>

namespace scriptlink {

TNotifyWindowForm::TNotifyWindowForm(std::function<void()> on_ext_macro) : on_ext_macro_(std::move(on_ext_macro)) {
  window_ = platform::MessageQueue::instance().create_window([this](const platform::Message& message) {
    if (message.id == ZTL_WM_EXT_MACRO) WmExtMacro(message);
  });
}

TNotifyWindowForm::~TNotifyWindowForm() { platform::MessageQueue::instance().destroy_window(window_); }

void TNotifyWindowForm::WmExtMacro(const platform::Message& /*message*/) {
  if (on_ext_macro_) on_ext_macro_();
}

}  // namespace scriptlink
