#include "requests/request_context.h"

#include <array>
#include <cstring>
#include <stdexcept>
#include <string>

namespace scriptlink {

namespace {

// Replies up to this size are put together on the stack; longer ones in a
// ReplyWriter. The bytes are the same either way.
constexpr std::size_t kStackReply = 512;

void PutWord(std::uint8_t* at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) at[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

}  // namespace

ZtlHandle RequestContext::item_or_reply(NoItem none) {
  if (value() == 0) reply(none);
  return value();
}

ItemInfoRecord RequestContext::item_info_or_reply(NoItem none) {
  const ZtlHandle item = item_or_reply(none);
  if (item == 0) return {};
  ItemInfoRecord info = TakeItemInfo(host(), item);
  if (!info) reply(none);
  return info;
}

void RequestContext::mark_replied() {
  if (replied_) throw std::logic_error("request " + std::to_string(header_.code) + " replied twice");
  replied_ = true;
}

void RequestContext::reply(std::span<const std::uint8_t> bytes) {
  mark_replied();
  sink_.WriteReply(bytes);
}

void RequestContext::reply(ReplySource& source) {
  mark_replied();
  sink_.WriteReply(source);
}

void RequestContext::reply(NoItem none) {
  switch (none.kind_) {
    case NoItem::Kind::word: return reply_word(none.value_);
    case NoItem::Kind::empty: return reply_empty();
    case NoItem::Kind::text: return reply_text(none.text_);
  }
}

void RequestContext::reply_word(std::int32_t value) {
  std::array<std::uint8_t, 4> bytes;
  PutWord(bytes.data(), static_cast<std::uint32_t>(value));
  reply(bytes);
}

void RequestContext::reply_text(std::string_view text) {
  if (text.size() < kStackReply) {
    std::array<std::uint8_t, kStackReply> bytes;
    if (!text.empty()) std::memcpy(bytes.data(), text.data(), text.size());
    bytes[text.size()] = 0;
    return reply(std::span<const std::uint8_t>(bytes.data(), text.size() + 1));
  }
  ReplyWriter writer;
  writer.reserve(text.size() + 1);
  reply(writer.text(text));
}

void RequestContext::reply_item_list(std::span<const ZtlHandle> items) {
  const std::size_t size = (items.size() + 1) * 4;
  if (size <= kStackReply) {
    std::array<std::uint8_t, kStackReply> bytes;
    std::uint8_t* at = bytes.data();
    for (ZtlHandle item : items) {
      PutWord(at, item);
      at += 4;
    }
    PutWord(at, 0);
    return reply(std::span<const std::uint8_t>(bytes.data(), size));
  }
  ReplyWriter writer;
  writer.reserve(size);
  for (ZtlHandle item : items) writer.handle(item);
  reply(writer.handle(0));
}

}  // namespace scriptlink
