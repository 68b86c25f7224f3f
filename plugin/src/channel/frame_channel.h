// The host's half of the frame protocol over a transport: take a request's
// chunks, send a reply in chunks. Everything the client writes is untrusted.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include <ztl/channel.h>

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

 private:
  void Append(std::size_t length);

  ChannelTransport& transport_;
  ZtlFrameHeader header_{};
  std::vector<std::uint8_t> payload_;
};

}  // namespace scriptlink
