#include "requests/families/editor.h"

#include <algorithm>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "requests/line_breaks.h"

namespace scriptlink {

namespace {

// A request too short for the word(s) it needs reaches no host function; it
// is answered as the host answers a failure, never as a success.
bool HasWords(const RequestContext& context, std::size_t count) {
  return context.payload().remaining() >= 4 * count;
}

// A text payload needs at least its NUL: an empty one would read as the empty
// text, and setting the empty text deletes.
bool HasText(const RequestContext& context) { return !context.payload().empty(); }

// Asks the host for a text of the length it gave, then takes only the count
// it says it wrote (never more than the buffer), without CRs.
// The buffer is the channel object's scratch, so a line costs no allocation.
template <typename Fill>
void ReplyHostText(RequestContext& context, std::int32_t length, Fill fill) {
  const std::int32_t size = std::max(length, 0);
  const ScratchBuffer::Lease lease(context.state().scratch, static_cast<std::size_t>(size) + 1);
  char* buffer = lease.data();
  buffer[size] = '\0';  // whatever the host writes, the buffer ends
  const std::int32_t written = std::clamp(fill(buffer, size), 0, size);
  // The CRs go in the host's buffer and the reply goes out from it: one copy.
  const std::size_t kept = StripCarriageReturnsInPlace(buffer, static_cast<std::size_t>(written));
  buffer[kept] = '\0';
  context.reply(std::span(reinterpret_cast<const std::uint8_t*>(buffer), kept + 1));
}

std::string HostTextOf(const RequestContext& context) { return NormalizeLineBreaks(context.payload().text()); }

// Moves the caret in one coordinate, keeping the other as it is just now.
void MoveCaret(RequestContext& context, bool row) {
  if (HasWords(context, 1)) {
    const std::int32_t value = context.payload().word();
    std::int32_t current_row = 0;
    std::int32_t current_col = 0;
    context.host().EditGetCaretPos(&current_row, &current_col);
    context.host().EditSetCaretPos(row ? value : current_row, row ? current_col : value);
  }
  context.reply_empty();
}

}  // namespace

void HandleEditSelStartGet(RequestContext& context) { context.reply_word(context.host().EditGetSelStart()); }

void HandleEditSelStartSet(RequestContext& context) {
  if (!HasWords(context, 1)) return context.reply_word(-1);
  context.reply_word(context.host().EditSetSelStart(context.payload().word()));
}

void HandleEditSelLengthGet(RequestContext& context) { context.reply_word(context.host().EditGetSelLength()); }

void HandleEditSelLengthSet(RequestContext& context) {
  if (!HasWords(context, 1)) return context.reply_word(-1);
  context.reply_word(context.host().EditSetSelLength(context.payload().word()));
}

void HandleEditSelTextGet(RequestContext& context) {
  const HostApi& host = context.host();
  ReplyHostText(context, host.EditGetSelLength(),
                [&](char* buffer, std::int32_t size) { return host.EditGetSelText(buffer, size); });
}

void HandleEditSelTextSet(RequestContext& context) {
  if (!HasText(context)) return context.reply_truth(false);
  const std::string text = HostTextOf(context);
  context.reply_truth(context.host().EditSetSelText(text.c_str()) != 0);
}

void HandleEditRowGet(RequestContext& context) {
  std::int32_t row = 0;
  std::int32_t col = 0;
  context.host().EditGetCaretPos(&row, &col);
  context.reply_word(row);
}

void HandleEditRowSet(RequestContext& context) { MoveCaret(context, true); }

void HandleEditColGet(RequestContext& context) {
  std::int32_t row = 0;
  std::int32_t col = 0;
  context.host().EditGetCaretPos(&row, &col);
  context.reply_word(col);
}

void HandleEditColSet(RequestContext& context) { MoveCaret(context, false); }

void HandleEditTopRowGet(RequestContext& context) {
  std::int32_t top = 0;
  context.host().EditGetTopRow(&top);
  context.reply_word(top);
}

void HandleEditTopRowSet(RequestContext& context) {
  if (HasWords(context, 1)) context.host().EditSetTopRow(context.payload().word());
  context.reply_empty();
}

// -1 is the host's own answer for a row that does not exist.
void HandleEditRowToLines(RequestContext& context) {
  if (!HasWords(context, 1)) return context.reply_word(-1);
  context.reply_word(context.host().EditRowToLines(context.payload().word()));
}

void HandleEditLineGet(RequestContext& context) {
  if (!HasWords(context, 1)) return context.reply_text("");
  const std::int32_t line = context.payload().word();
  const HostApi& host = context.host();
  ReplyHostText(context, host.EditGetLinesStrSize(line),
                [&](char* buffer, std::int32_t size) { return host.EditGetLinesStr(line, buffer, size); });
}

// The line index travels in the header's value field, the text as the payload.
void HandleEditLineSet(RequestContext& context) {
  if (!HasText(context)) return context.reply_word(0);
  const auto line = static_cast<std::int32_t>(context.value());
  const std::string text = HostTextOf(context);
  context.reply_word(context.host().EditSetLinesStr(line, text.c_str()));
}

void HandleEditLinesSize(RequestContext& context) { context.reply_word(context.host().EditGetLinesCount()); }
void HandleEditListSize(RequestContext& context) { context.reply_word(context.host().EditGetListCount()); }
void HandleEditRowSize(RequestContext& context) { context.reply_word(context.host().EditGetRowCount()); }
void HandleEditColSize(RequestContext& context) { context.reply_word(context.host().EditGetColCount()); }

void HandleEditColToChar(RequestContext& context) {
  if (!HasWords(context, 2)) return context.reply_word(-1);
  PayloadReader payload = context.payload();
  const std::int32_t first = payload.word();
  const std::int32_t second = payload.word();
  context.reply_word(context.host().EditColToChar(first, second));
}

}  // namespace scriptlink
