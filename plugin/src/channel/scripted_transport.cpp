#include "channel/scripted_transport.h"

#include <algorithm>
#include <cstring>

#include "channel/channel_error.h"

namespace scriptlink {

std::vector<ClientFrame> ScriptedTransport::RequestFrames(std::uint32_t code, std::uint32_t value,
                                                          std::span<const std::uint8_t> payload) {
  std::vector<ClientFrame> frames;
  const auto total = static_cast<std::uint32_t>(payload.size());
  std::size_t offset = 0;
  do {
    const std::size_t length = std::min<std::size_t>(payload.size() - offset, ZTL_CHUNK_MAX);
    ClientFrame frame;
    frame.header = {code, value, total, static_cast<std::uint32_t>(length),
                    offset + length == payload.size() ? 1u : 0u};
    frame.chunk.assign(payload.begin() + static_cast<std::ptrdiff_t>(offset),
                       payload.begin() + static_cast<std::ptrdiff_t>(offset + length));
    frames.push_back(std::move(frame));
    offset += length;
  } while (offset < payload.size());
  return frames;
}

std::vector<std::uint8_t> ScriptedTransport::reply_bytes() const {
  std::vector<std::uint8_t> bytes;
  for (const PublishedFrame& frame : published_) bytes.insert(bytes.end(), frame.chunk.begin(), frame.chunk.end());
  return bytes;
}

void ScriptedTransport::publish(std::size_t length) {
  PublishedFrame frame;
  frame.length = length;
  if (length >= ZTL_FRAME_HEADER_SIZE) {
    std::memcpy(&frame.header, memory_.data(), sizeof frame.header);
    const std::size_t chunk = std::min<std::size_t>(length, memory_.size()) - ZTL_FRAME_HEADER_SIZE;
    frame.chunk.assign(memory_.begin() + ZTL_FRAME_HEADER_SIZE,
                       memory_.begin() + static_cast<std::ptrdiff_t>(ZTL_FRAME_HEADER_SIZE + chunk));
  }
  published_.push_back(std::move(frame));
}

bool ScriptedTransport::LoadNext() {
  if (queued_.empty()) return false;
  const ClientFrame& next = queued_.front();
  std::memcpy(memory_.data(), &next.header, sizeof next.header);
  const std::size_t length = std::min<std::size_t>(next.chunk.size(), ZTL_CHUNK_MAX);
  if (length != 0) std::memcpy(memory_.data() + ZTL_FRAME_HEADER_SIZE, next.chunk.data(), length);
  queued_.pop_front();
  return true;
}

bool ScriptedTransport::wait_for_request(std::chrono::milliseconds /*timeout*/) { return LoadNext(); }

void ScriptedTransport::wait_for_client() {
  if (auto_ack_ && !published_.empty()) {
    const PublishedFrame& last = published_.back();
    if (last.length >= ZTL_FRAME_HEADER_SIZE && last.header.last == 0) return;
  }
  if (!LoadNext()) throw ChannelError(kScriptEndedMidExchange);
}

}  // namespace scriptlink
