// What a request handler gets: the request (header and payload), the host, the
// channel object's state, and the one way to reply.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string_view>

#include <platform/file_version.h>
#include <ztl/channel.h>

#include "host_binding/host_api_table.h"
#include "host_binding/host_records.h"
#include "requests/channel_state.h"
#include "requests/payload_reader.h"
#include "requests/reply_writer.h"

namespace scriptlink {

// The surroundings of the handlers, set up once per channel object.
struct HandlerEnv {
  const HostApi* host = nullptr;
  // Where the update bracket locks and unlocks the host's windows; empty = LockWindowUpdate.
  std::function<void(ZtlWindow)> lock_window_update;
  // The plug-in's own version pair (request 79); empty = PluginVersion().
  std::function<platform::FileVersion()> plugin_version;
};

// A reply whose bytes are made while it is sent, a chunk ahead of the client.
class ReplySource {
 public:
  virtual std::size_t size() const = 0;
  // The reply's start, with at least its first end bytes ready.
  virtual const std::uint8_t* Prepare(std::size_t end) = 0;

 protected:
  ~ReplySource() = default;
};

// Where a reply goes: the channel side supplies it, so the handlers never see frames.
class ReplySink {
 public:
  virtual void WriteReply(std::span<const std::uint8_t> bytes) = 0;
  // A sink that cannot send as it goes takes the reply whole.
  virtual void WriteReply(ReplySource& source) {
    const std::size_t size = source.size();
    WriteReply(std::span<const std::uint8_t>(source.Prepare(size), size));
  }

 protected:
  ~ReplySink() = default;
};

// The answer of a request that has no item: handle 0, or a handle the host no
// longer knows (a deleted item), which must not be taken for a real answer.
class NoItem {
 public:
  static constexpr NoItem Word(std::int32_t value) noexcept { return NoItem(Kind::word, value, {}); }
  static constexpr NoItem Empty() noexcept { return NoItem(Kind::empty, 0, {}); }
  static constexpr NoItem Text(std::string_view text) noexcept { return NoItem(Kind::text, 0, text); }

 private:
  friend class RequestContext;
  enum class Kind { word, empty, text };
  constexpr NoItem(Kind kind, std::int32_t value, std::string_view text) noexcept
      : kind_(kind), value_(value), text_(text) {}
  Kind kind_;
  std::int32_t value_;
  std::string_view text_;
};

class RequestContext {
 public:
  RequestContext(const ZtlFrameHeader& header, std::span<const std::uint8_t> payload, ChannelState& state,
                 const HandlerEnv& env, ReplySink& sink) noexcept
      : header_(header), payload_(payload), state_(state), env_(env), sink_(sink) {}
  RequestContext(const RequestContext&) = delete;
  RequestContext& operator=(const RequestContext&) = delete;

  std::uint32_t code() const noexcept { return header_.code; }
  std::uint32_t value() const noexcept { return header_.value; }
  // A fresh reader over the whole request payload.
  PayloadReader payload() const noexcept { return PayloadReader(payload_); }
  const HostApi& host() const noexcept { return *env_.host; }
  const HandlerEnv& env() const noexcept { return env_; }
  ChannelState& state() noexcept { return state_; }

  // The item of the header; for handle 0 sends the no-item answer (without a
  // host call) and returns 0: `if (auto item = context.item_or_reply(-1)) ...`.
  ZtlHandle item_or_reply(NoItem none);
  ZtlHandle item_or_reply(std::int32_t none) { return item_or_reply(NoItem::Word(none)); }
  // The item's record; null after the no-item answer went out, for handle 0
  // (no host call) and for an item the host does not know (a null record).
  ItemInfoRecord item_info_or_reply(NoItem none);
  ItemInfoRecord item_info_or_reply(std::int32_t none) { return item_info_or_reply(NoItem::Word(none)); }

  // The one reply of the request. A second reply throws std::logic_error: it
  // would put the two sides out of step.
  void reply(std::span<const std::uint8_t> bytes);
  void reply(const ReplyWriter& writer) { reply(writer.bytes()); }
  void reply(ReplySource& source);
  void reply(NoItem none);
  void reply_word(std::int32_t value);
  void reply_handle(ZtlHandle handle) { reply_word(static_cast<std::int32_t>(handle)); }
  // A truth word: 1 or 0.
  void reply_truth(bool value) { reply_word(value ? 1 : 0); }
  // The text's bytes and one NUL.
  void reply_text(std::string_view text);
  // The handles and a closing 0 word.
  void reply_item_list(std::span<const ZtlHandle> items);
  void reply_empty() { reply(std::span<const std::uint8_t>{}); }
  bool replied() const noexcept { return replied_; }

 private:
  // Throws when the request has its reply already.
  void mark_replied();

  const ZtlFrameHeader& header_;
  std::span<const std::uint8_t> payload_;
  ChannelState& state_;
  const HandlerEnv& env_;
  ReplySink& sink_;
  bool replied_ = false;
};

using RequestHandler = void (*)(RequestContext&);

}  // namespace scriptlink
