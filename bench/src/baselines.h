// The same-run baselines, each between two processes in a given placement.
#pragma once

#include <cstddef>

#include "measure.h"
#include "process_pair.h"
#include "raw_channel.h"

namespace bench {

inline constexpr std::size_t kBulkBytes = 16u << 20;

// Baseline 1 (and its spin-then-sleep floor): seconds per small round trip.
Sample raw_round_trip(const Placement& placement, WaitStyle style, const Budget& budget);
// Baseline 2: seconds per small round trip over a Unix stream socket.
Sample socket_round_trip(const Placement& placement, const Budget& budget);
// Seconds per bulk reply of `bytes` through the raw 8192-byte frame; every
// reply's bytes are checked against what the server sent.
Sample raw_bulk(const Placement& placement, WaitStyle style, std::size_t bytes, const Budget& budget);

}  // namespace bench
