#include "controller/report_error.h"

#include <cstdio>
#include <string>

#include <platform/prompt.h>

namespace scriptlink {

void ReportError(std::string_view text) noexcept { ReportError(text, platform::prompt::Icon::warning); }

void ReportError(std::string_view text, platform::prompt::Icon icon) noexcept {
  try {
    platform::prompt::message_box(text, "Scriptlink", platform::prompt::Buttons::ok, icon);
    return;
  } catch (...) {
    // No prompt could be shown (no terminal, no scripted answer): stderr is
    // the last place the text can go.
  }
  std::fprintf(stderr, "Scriptlink: %.*s\n", static_cast<int>(text.size()), text.data());
}

}  // namespace scriptlink
