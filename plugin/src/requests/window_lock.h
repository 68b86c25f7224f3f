// Suspending the redraw of the host's windows during an update bracket. There
// is nothing to lock on this platform, but every call goes through here so the
// bracket keeps its shape and tests can watch it.
#pragma once

#include <zentrella/host_api.h>

namespace scriptlink {

// A window of 0 releases the lock.
inline void LockWindowUpdate(ZtlWindow /*window*/) noexcept {}

}  // namespace scriptlink
