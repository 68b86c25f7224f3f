// The raw baselines: the channel's own frame (20-byte header and up to 8172
// payload bytes in 8192 bytes) passed between two processes with nothing but
// two futex events, the least any build of the protocol can cost.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include <ztl/channel.h>

#include "futex_event.h"

namespace bench {

enum class WaitStyle { sleep, spin_then_sleep };

// Lives in a SharedRegion; each event on its own cache line, as the channel's
// events live in objects of their own.
struct RawChannel {
  alignas(64) FutexEvent host_event;    // reply chunk ready, or request chunk taken
  alignas(64) FutexEvent client_event;  // request chunk ready, or reply chunk taken
  alignas(64) std::uint8_t frame[ZTL_CHANNEL_MAPPING_SIZE];
};

inline constexpr std::uint32_t kRawSmallCode = 1;  // 4-byte word in, word + 1 out
inline constexpr std::uint32_t kRawBulkCode = 2;   // no payload in, the bulk bytes out
inline constexpr std::uint32_t kRawStopCode = 0xFFFFFFFF;

// The server side: answers requests until the stop code; bulk is the reply of
// kRawBulkCode, sent in chunks of ZTL_CHUNK_MAX each taken by the client.
void raw_serve(RawChannel& channel, WaitStyle style, const std::vector<std::uint8_t>& bulk);

class RawClient {
 public:
  RawClient(RawChannel& channel, WaitStyle style) : channel_(channel), style_(style) {}
  // n small round trips; throws when a reply is not the expected one.
  void round_trips(std::size_t n);
  // One bulk request; the reply lands in a fresh buffer as a real client's would.
  std::vector<std::uint8_t> bulk_reply();
  void stop();

 private:
  void wait_host();
  RawChannel& channel_;
  WaitStyle style_;
  std::uint32_t counter_ = 0;
};

// A deterministic pattern for bulk replies, so the client can check them.
std::vector<std::uint8_t> bulk_pattern(std::size_t size);

}  // namespace bench
