// An in-memory transport that plays a scripted client: each time the host
// waits, the next queued client frame appears in the frame memory. Reply
// chunks can be acknowledged automatically. Used by tests and fuzz targets.
#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <span>
#include <vector>

#include <ztl/channel.h>

#include "channel/transport.h"

namespace scriptlink {

struct ClientFrame {
  ZtlFrameHeader header{};
  std::vector<std::uint8_t> chunk;  // written at offset 20 (at most 8172 bytes are written)
};

// What the host put in the frame each time it passed the turn.
struct PublishedFrame {
  std::size_t length = 0;  // bytes flushed; 0 = a request chunk was taken
  ZtlFrameHeader header{};
  std::vector<std::uint8_t> chunk;
};

class ScriptedTransport final : public ChannelTransport {
 public:
  // The frames of one request of payload bytes, chunked as the extension does.
  static std::vector<ClientFrame> RequestFrames(std::uint32_t code, std::uint32_t value,
                                                std::span<const std::uint8_t> payload);

  void queue(ClientFrame frame) { queued_.push_back(std::move(frame)); }
  void queue(const std::vector<ClientFrame>& frames) { queued_.insert(queued_.end(), frames.begin(), frames.end()); }
  // When on, a wait after a reply chunk with last 0 returns at once (the client took it).
  void set_auto_ack(bool on) noexcept { auto_ack_ = on; }

  const std::vector<PublishedFrame>& published() const noexcept { return published_; }
  std::size_t queued() const noexcept { return queued_.size(); }
  // The reply bytes of every published reply chunk, joined.
  std::vector<std::uint8_t> reply_bytes() const;
  void clear_published() { published_.clear(); }

  std::uint8_t* frame() noexcept override { return memory_.data(); }
  void publish(std::size_t length) override;
  bool wait_for_request(std::chrono::milliseconds timeout) override;
  void begin_exchange() override {}
  // With nothing queued the client has gone: throws ChannelError as the real
  // transport does when the peer ends.
  void wait_for_client() override;

 private:
  bool LoadNext();

  alignas(8) std::array<std::uint8_t, ZTL_CHANNEL_MAPPING_SIZE> memory_{};
  std::deque<ClientFrame> queued_;
  std::vector<PublishedFrame> published_;
  bool auto_ack_ = true;
};

}  // namespace scriptlink
