#include "channel/frame_channel.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <new>

#include "channel/channel_error.h"

namespace scriptlink {

static_assert(std::endian::native == std::endian::little, "frame words are little-endian");

namespace {

// Past this, a buffer left over from one big message is given back. Up to
// it, a payload's buffer is also made for its whole total at once: a claim of
// that much costs little even when the bytes never come.
constexpr std::size_t kKeptCapacity = 4u * 1024u * 1024u;

std::size_t MaxChunksFor(std::size_t total) {
  return total == 0 ? 1 : (total + ZTL_CHUNK_MAX - 1) / ZTL_CHUNK_MAX;
}

}  // namespace

FrameChannel::FrameChannel(ChannelTransport& transport) : transport_(transport) {
  payload_.reserve(ZTL_CHUNK_MAX);
}

bool FrameChannel::WaitForRequest(std::chrono::milliseconds timeout) {
  return transport_.wait_for_request(timeout);
}

const ZtlFrameHeader& FrameChannel::CopyHeader() noexcept {
  std::memcpy(&header_, transport_.frame(), sizeof header_);
  return header_;
}

void FrameChannel::Append(std::size_t length) {
  // The buffer grows with the bytes that really arrive, not with the total the
  // client claims.
  if (length == 0) return;
  try {
    if (payload_.capacity() < payload_.size() + length)
      payload_.reserve(std::max(payload_.size() + length, 2 * payload_.capacity()));
    const std::size_t at = payload_.size();
    payload_.resize(at + length);
    std::memcpy(payload_.data() + at, transport_.frame() + ZTL_FRAME_HEADER_SIZE, length);
  } catch (const std::bad_alloc&) {
    throw ChannelError(kPayloadTooLarge);
  } catch (const std::length_error&) {
    throw ChannelError(kPayloadTooLarge);
  }
}

std::span<const std::uint8_t> FrameChannel::ReadRequestPayload() {
  // Work on a copy of the header: the client may change the frame at any time.
  ZtlFrameHeader chunk = header_;
  const std::size_t total = chunk.total_length;
  if (total == 0) {
    if (chunk.chunk_length != 0 || chunk.last == 0) throw ChannelError(kMalformedFrame);
    payload_.clear();
    return {};
  }
  if (total > kMaxMessageSize) throw ChannelError(kPayloadTooLarge);
  if (payload_.capacity() > kKeptCapacity) payload_ = {};
  payload_.clear();
  try {
    payload_.reserve(std::min(total, kKeptCapacity));
  } catch (const std::bad_alloc&) {
    throw ChannelError(kPayloadTooLarge);
  }
  const std::size_t max_chunks = MaxChunksFor(total);
  std::size_t received = 0;
  for (std::size_t chunks = 1;; ++chunks) {
    const std::size_t length = chunk.chunk_length;
    if (length > ZTL_CHUNK_MAX || length > total - received) throw ChannelError(kMalformedFrame);
    Append(length);
    received += length;
    if (chunk.last != 0) break;
    if (chunks >= max_chunks) throw ChannelError(kMalformedFrame);
    transport_.publish(0);  // chunk taken
    transport_.wait_for_client();
    std::memcpy(&chunk, transport_.frame(), sizeof chunk);
    // A chunk of another message is not the rest of this one.
    if (chunk.code != header_.code || chunk.value != header_.value || chunk.total_length != header_.total_length)
      throw ChannelError(kMalformedFrame);
  }
  if (received != total) throw ChannelError(kMalformedFrame);
  return payload_;
}

void FrameChannel::WriteReply(std::span<const std::uint8_t> payload) {
  WriteReplyFrom(payload.size(), [payload](std::size_t) { return payload.data(); });
}

}  // namespace scriptlink
