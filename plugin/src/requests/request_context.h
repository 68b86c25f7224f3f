// What a request handler gets: the request (header and payload), the host, the
// channel's state, and the one way to reply.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string_view>

#include <platform/file_version.h>
#include <ztl/channel.h>

#include "channel/channel_state.h"
#include "channel/payload_reader.h"
#include "channel/reply_writer.h"
#include "host_api_table.h"

namespace scriptlink {

class FrameChannel;

// The surroundings of the handlers, set up once per channel object.
struct HandlerEnv {
  const HostApi* host = nullptr;
  // Where the update bracket locks and unlocks the host's windows; empty = LockWindowUpdate.
  std::function<void(ZtlWindow)> lock_window_update;
  // The plug-in's own version pair (request 79); empty = PluginVersion().
  std::function<platform::FileVersion()> plugin_version;
};

class RequestContext {
 public:
  RequestContext(const ZtlFrameHeader& header, std::span<const std::uint8_t> payload, ChannelState& state,
                 const HandlerEnv& env, FrameChannel& channel) noexcept
      : header_(header), payload_(payload), state_(state), env_(env), channel_(channel) {}
  RequestContext(const RequestContext&) = delete;
  RequestContext& operator=(const RequestContext&) = delete;

  std::uint32_t code() const noexcept { return header_.code; }
  std::uint32_t value() const noexcept { return header_.value; }
  // A fresh reader over the whole request payload.
  PayloadReader payload() const noexcept { return PayloadReader(payload_); }
  const HostApi& host() const noexcept { return *env_.host; }
  const HandlerEnv& env() const noexcept { return env_; }
  ChannelState& state() noexcept { return state_; }

  // The one reply of the request. A second reply throws std::logic_error: it
  // would put the two sides out of step.
  void reply(std::span<const std::uint8_t> bytes);
  void reply(const ReplyWriter& writer) { reply(writer.bytes()); }
  void reply_word(std::int32_t value);
  void reply_text(std::string_view text);
  void reply_empty() { reply(std::span<const std::uint8_t>{}); }
  bool replied() const noexcept { return replied_; }

 private:
  const ZtlFrameHeader& header_;
  std::span<const std::uint8_t> payload_;
  ChannelState& state_;
  const HandlerEnv& env_;
  FrameChannel& channel_;
  bool replied_ = false;
};

using RequestHandler = void (*)(RequestContext&);

}  // namespace scriptlink
