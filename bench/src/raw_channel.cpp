#include "raw_channel.h"

#include <cstring>
#include <stdexcept>

namespace bench {
namespace {

// Long enough to cover a cross-CPU answer, short enough not to matter much
// when the peer turns out to share the CPU.
constexpr std::chrono::microseconds kSpinLimit{10};

void wait_on(FutexEvent& event, WaitStyle style) {
  if (style == WaitStyle::spin_then_sleep) {
    event.wait_spinning(kSpinLimit);
  } else {
    event.wait();
  }
}

ZtlFrameHeader read_header(const std::uint8_t* frame) {
  ZtlFrameHeader header;
  std::memcpy(&header, frame, sizeof header);
  return header;
}

void write_header(std::uint8_t* frame, const ZtlFrameHeader& header) {
  std::memcpy(frame, &header, sizeof header);
}

void write_frame(std::uint8_t* frame, const ZtlFrameHeader& header, const void* payload) {
  write_header(frame, header);
  // An empty bulk has no data pointer; memcpy must not see it even for 0 bytes.
  if (header.chunk_length != 0) std::memcpy(frame + ZTL_FRAME_HEADER_SIZE, payload, header.chunk_length);
}

void serve_small(RawChannel& channel, const ZtlFrameHeader& request) {
  std::uint32_t word = 0;
  std::memcpy(&word, channel.frame + ZTL_FRAME_HEADER_SIZE, sizeof word);
  ++word;
  write_frame(channel.frame, {request.code, request.value, 4, 4, 1}, &word);
  channel.host_event.set();
}

// Sends the reply as the plug-in does: every chunk but the last waits for the
// client to take it.
void serve_bulk(RawChannel& channel, WaitStyle style, const ZtlFrameHeader& request,
                const std::vector<std::uint8_t>& bulk) {
  const auto total = static_cast<std::uint32_t>(bulk.size());
  std::size_t offset = 0;
  while (bulk.size() - offset > ZTL_CHUNK_MAX) {
    write_frame(channel.frame, {request.code, request.value, total, ZTL_CHUNK_MAX, 0}, bulk.data() + offset);
    channel.host_event.set();
    wait_on(channel.client_event, style);
    offset += ZTL_CHUNK_MAX;
  }
  const auto rest = static_cast<std::uint32_t>(bulk.size() - offset);
  write_frame(channel.frame, {request.code, request.value, total, rest, 1}, bulk.data() + offset);
  channel.host_event.set();
}

}  // namespace

void raw_serve(RawChannel& channel, WaitStyle style, const std::vector<std::uint8_t>& bulk) {
  for (;;) {
    // The server idles between measurements for as long as the client likes.
    if (style == WaitStyle::spin_then_sleep) {
      channel.client_event.wait_spinning(kSpinLimit, std::chrono::minutes(2));
    } else {
      channel.client_event.wait(std::chrono::minutes(2));
    }
    const ZtlFrameHeader request = read_header(channel.frame);
    if (request.code == kRawStopCode) return;
    if (request.code == kRawSmallCode) {
      serve_small(channel, request);
    } else if (request.code == kRawBulkCode) {
      serve_bulk(channel, style, request, bulk);
    } else {
      throw std::runtime_error("raw server: unknown request code " + std::to_string(request.code));
    }
  }
}

void RawClient::wait_host() { wait_on(channel_.host_event, style_); }

void RawClient::round_trips(std::size_t n) {
  for (std::size_t i = 0; i < n; ++i) {
    const std::uint32_t word = ++counter_;
    write_frame(channel_.frame, {kRawSmallCode, 7, 4, 4, 1}, &word);
    channel_.client_event.set();
    wait_host();
    const ZtlFrameHeader reply = read_header(channel_.frame);
    std::uint32_t answer = 0;
    std::memcpy(&answer, channel_.frame + ZTL_FRAME_HEADER_SIZE, sizeof answer);
    if (reply.code != kRawSmallCode || reply.total_length != 4 || answer != word + 1) {
      throw std::runtime_error("raw client: wrong reply to a small request");
    }
  }
}

std::vector<std::uint8_t> RawClient::bulk_reply() {
  write_header(channel_.frame, {kRawBulkCode, 0, 0, 0, 1});
  channel_.client_event.set();
  wait_host();
  ZtlFrameHeader header = read_header(channel_.frame);
  std::vector<std::uint8_t> reply;
  reply.reserve(header.total_length);
  for (;;) {
    if (header.chunk_length > ZTL_CHUNK_MAX || reply.size() + header.chunk_length > header.total_length) {
      throw std::runtime_error("raw client: a reply chunk overruns its message");
    }
    const std::uint8_t* chunk = channel_.frame + ZTL_FRAME_HEADER_SIZE;
    reply.insert(reply.end(), chunk, chunk + header.chunk_length);
    if (header.last == 1) break;
    channel_.client_event.set();
    wait_host();
    header = read_header(channel_.frame);
  }
  if (reply.size() != header.total_length) throw std::runtime_error("raw client: a reply came short");
  return reply;
}

void RawClient::stop() {
  write_header(channel_.frame, {kRawStopCode, 0, 0, 0, 1});
  channel_.client_event.set();
}

std::vector<std::uint8_t> bulk_pattern(std::size_t size) {
  std::vector<std::uint8_t> bytes(size);
  std::uint32_t x = 2463534242u;
  for (auto& b : bytes) {
    x ^= x << 13;
    x ^= x >> 17;
    x ^= x << 5;
    b = static_cast<std::uint8_t>(x);
  }
  return bytes;
}

}  // namespace bench
