// Seams for tests of the platform layer's users: make file writes fail on
// purpose to prove that a failed save leaves the old file whole.
#pragma once

#include <cstddef>

namespace platform::testing {

// From now on, write_file_atomically fails (EIO) once bytes more bytes have
// been written, in this process, until stop_failing_writes().
void fail_writes_after(std::size_t bytes);
void stop_failing_writes();

}  // namespace platform::testing
