// The host's half of the frame protocol over a transport: take a request's
// chunks, send a reply in chunks. Everything the client writes is untrusted.
#pragma once

#include <algorithm>
#include <chrono>
#include <cstring>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include <ztl/channel.h>

#include "channel/channel_error.h"
#include "channel/transport.h"

namespace scriptlink {

// Largest message either way; a total above it is refused before allocating.
inline constexpr std::size_t kMaxMessageSize = 256u * 1024u * 1024u;

class FrameChannel {
 public:
  explicit FrameChannel(ChannelTransport& transport);

  // Waits up to timeout for the next request; the caller then copies its header.
  bool WaitForRequest(std::chrono::milliseconds timeout);
  // Copies the 20-byte header from the frame into the header copy.
  const ZtlFrameHeader& CopyHeader() noexcept;
  const ZtlFrameHeader& header() const noexcept { return header_; }
  ChannelTransport& transport() noexcept { return transport_; }

  // Takes the whole request payload (all chunks) into the channel's own
  // buffer; valid until the next request. Malformed frames throw ChannelError.
  std::span<const std::uint8_t> ReadRequestPayload();
  // Sends the reply in chunks; code and value repeat the request's.
  void WriteReply(std::span<const std::uint8_t> payload);
  // Sends a reply of size bytes that is made while it goes: prepare(end)
  // returns the reply's start with at least its first end bytes ready. It is
  // called for each next chunk while the client takes the one before, so the
  // making costs the exchange no time.
  template <typename Prepare>
  void WriteReplyFrom(std::size_t size, Prepare&& prepare);

 private:
  void Append(std::size_t length);

  ChannelTransport& transport_;
  ZtlFrameHeader header_{};
  std::vector<std::uint8_t> payload_;
};

template <typename Prepare>
void FrameChannel::WriteReplyFrom(std::size_t size, Prepare&& prepare) {
  if (size > kMaxMessageSize) throw ChannelError(kPayloadTooLarge);
  // Our own header and offsets drive the loop; what the client leaves in the
  // frame between chunks is never read back.
  ZtlFrameHeader reply = header_;
  reply.total_length = static_cast<std::uint32_t>(size);
  std::uint8_t* frame = transport_.frame();
  std::size_t offset = 0;
  const std::uint8_t* bytes = prepare(std::min<std::size_t>(size, ZTL_CHUNK_MAX));
  while (size - offset > ZTL_CHUNK_MAX) {
    reply.chunk_length = ZTL_CHUNK_MAX;
    reply.last = 0;
    std::memcpy(frame + ZTL_FRAME_HEADER_SIZE, bytes + offset, ZTL_CHUNK_MAX);
    std::memcpy(frame, &reply, sizeof reply);
    transport_.publish(ZTL_FRAME_HEADER_SIZE + ZTL_CHUNK_MAX);
    offset += ZTL_CHUNK_MAX;
    bytes = prepare(std::min<std::size_t>(size, offset + ZTL_CHUNK_MAX));
    transport_.wait_for_client();  // the client took the chunk
  }
  const std::size_t rest = size - offset;
  reply.chunk_length = static_cast<std::uint32_t>(rest);
  reply.last = 1;
  if (rest != 0) std::memcpy(frame + ZTL_FRAME_HEADER_SIZE, bytes + offset, rest);
  std::memcpy(frame, &reply, sizeof reply);
  transport_.publish(ZTL_FRAME_HEADER_SIZE + rest);
}

}  // namespace scriptlink
