// How a failure that ends an entry point reaches the user: a warning message
// box with OK, or stderr when no prompt can be shown. Never throws.
#pragma once

#include <string_view>

namespace scriptlink {

void ReportError(std::string_view text) noexcept;

}  // namespace scriptlink
