#include "handlers/request_context.h"

#include <array>
#include <stdexcept>
#include <string>

#include "channel/frame_channel.h"

namespace scriptlink {

void RequestContext::reply(std::span<const std::uint8_t> bytes) {
  if (replied_) throw std::logic_error("request " + std::to_string(header_.code) + " replied twice");
  replied_ = true;
  channel_.WriteReply(bytes);
}

void RequestContext::reply_word(std::int32_t value) {
  const auto raw = static_cast<std::uint32_t>(value);
  const std::array<std::uint8_t, 4> bytes{static_cast<std::uint8_t>(raw), static_cast<std::uint8_t>(raw >> 8),
                                          static_cast<std::uint8_t>(raw >> 16), static_cast<std::uint8_t>(raw >> 24)};
  reply(bytes);
}

void RequestContext::reply_text(std::string_view text) {
  ReplyWriter writer;
  writer.reserve(text.size() + 1);
  writer.text(text);
  reply(writer);
}

}  // namespace scriptlink
