#include "requests/request_context.h"

#include <stdexcept>
#include <string>

namespace scriptlink {

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

void RequestContext::reply(std::span<const std::uint8_t> bytes) {
  if (replied_) throw std::logic_error("request " + std::to_string(header_.code) + " replied twice");
  replied_ = true;
  sink_.WriteReply(bytes);
}

void RequestContext::reply(NoItem none) {
  switch (none.kind_) {
    case NoItem::Kind::word: return reply_word(none.value_);
    case NoItem::Kind::empty: return reply_empty();
    case NoItem::Kind::text: return reply_text(none.text_);
  }
}

void RequestContext::reply_word(std::int32_t value) {
  ReplyWriter writer;
  reply(writer.word(value));
}

void RequestContext::reply_text(std::string_view text) {
  ReplyWriter writer;
  writer.reserve(text.size() + 1);
  reply(writer.text(text));
}

void RequestContext::reply_item_list(std::span<const ZtlHandle> items) {
  ReplyWriter writer;
  writer.reserve((items.size() + 1) * 4);
  for (ZtlHandle item : items) writer.handle(item);
  reply(writer.handle(0));
}

}  // namespace scriptlink
