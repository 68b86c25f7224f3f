// One placement measured side by side: the baselines and the real channel,
// each with its own server process, their runs taking turns (see
// measure_interleaved), the client side in one fresh process.
#pragma once

#include <cstddef>
#include <optional>

#include "measure.h"
#include "process_pair.h"

namespace bench {

inline constexpr std::size_t kBulkBytes = 16u << 20;

// Seconds per small round trip (20-byte header + 4 bytes each way).
struct RoundTrips {
  Sample raw;                   // baseline 1: two futex events, sleeping at once
  Sample socket;                // baseline 2: a Unix stream socket pair
  std::optional<Sample> spin;   // futex events that spin first (parallel placements)
  std::optional<Sample> real;   // SendRequest + the plug-in's dispatch
};

// Seconds per bulk reply of kBulkBytes in chunks through the 8192-byte frame.
struct BulkReplies {
  Sample raw;
  std::optional<Sample> spin;
  std::optional<Sample> real;   // the prepared bytes through the channel's reply path
  std::optional<Sample> list;   // the same bytes as an item list built by the handler
};

// with_real adds the real channel; a failure of any side throws.
RoundTrips measure_round_trips(const Placement& placement, bool with_real, const Budget& budget);
BulkReplies measure_bulk_replies(const Placement& placement, bool with_real, const Budget& budget);

}  // namespace bench
