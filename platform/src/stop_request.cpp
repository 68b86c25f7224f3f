#include "platform/stop_request.h"

#include <atomic>

namespace platform::stop_request {
namespace {

// Lock-free, so a signal handler may store to it.
std::atomic<bool> g_raised{false};
static_assert(std::atomic<bool>::is_always_lock_free);

}  // namespace

void raise() noexcept { g_raised.store(true, std::memory_order_relaxed); }
bool raised() noexcept { return g_raised.load(std::memory_order_relaxed); }
void clear() noexcept { g_raised.store(false, std::memory_order_relaxed); }

}  // namespace platform::stop_request
