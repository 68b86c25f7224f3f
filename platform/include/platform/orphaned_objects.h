// Named objects whose holders all died stay in /dev/shm until their name is
// used again. This sweep removes them at once, for every namespace of this
// user: a host calls it at start-up, test programs when they end.
#pragma once

#include <cstddef>

namespace platform {

// Returns how many objects it removed. Objects with a living holder, objects of
// other programs or users, and objects others can reach are left alone.
std::size_t remove_orphaned_objects() noexcept;

}  // namespace platform
