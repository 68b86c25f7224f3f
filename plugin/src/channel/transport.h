// The seam under the channel protocol: the frame memory and the turn passing.
// The real transport is the channel mapping and its two events; tests and the
// fuzzer drive the same protocol code through an in-memory one.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>

namespace scriptlink {

class ChannelTransport {
 public:
  virtual ~ChannelTransport() = default;

  // ZTL_CHANNEL_MAPPING_SIZE bytes: the frame header, then one chunk.
  virtual std::uint8_t* frame() noexcept = 0;
  // Makes the first length bytes of the frame visible and gives the turn to the client.
  virtual void publish(std::size_t length) = 0;
  // Between exchanges: waits up to timeout for a request; false when none came.
  virtual bool wait_for_request(std::chrono::milliseconds timeout) = 0;
  // A request arrived: note who is on the other side for the waits that follow.
  virtual void begin_exchange() = 0;
  // Inside an exchange: waits for the client's turn. Throws ChannelError when
  // the client ended instead, so no wait outlives the peer.
  virtual void wait_for_client() = 0;
  // Inside an exchange: whether the client has ended, so that a prompt the
  // request opened (a dialog) need not wait for a reply nobody reads.
  virtual bool peer_ended() noexcept { return false; }
};

}  // namespace scriptlink
