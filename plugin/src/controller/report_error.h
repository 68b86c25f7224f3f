// How a failure that ends an entry point reaches the user: a warning message
// box with OK, or stderr when no prompt can be shown. Never throws.
#pragma once

#include <string_view>

#include <platform/prompt.h>

namespace scriptlink {

void ReportError(std::string_view text) noexcept;
// The same with another icon: the error icon marks a failure the host's
// command must report as failed.
void ReportError(std::string_view text, platform::prompt::Icon icon) noexcept;

}  // namespace scriptlink
