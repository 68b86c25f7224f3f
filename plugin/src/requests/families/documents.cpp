// The document half of the family, and the list requests both halves share.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "host_binding/host_records.h"
#include "requests/families/document_link.h"
#include "requests/line_breaks.h"
#include "requests/text_fit.h"

namespace scriptlink {

namespace {

// A fixed text field of the document record, named by offset and size since
// the record is packed.
struct Field {
  std::size_t offset;
  std::size_t size;
};

constexpr Field kTitle{offsetof(ZtlDescriptionInfo, title), sizeof(ZtlDescriptionInfo::title)};
constexpr Field kFileName{offsetof(ZtlDescriptionInfo, file_name), sizeof(ZtlDescriptionInfo::file_name)};
constexpr Field kTextType{offsetof(ZtlDescriptionInfo, text_type), sizeof(ZtlDescriptionInfo::text_type)};

char* FieldOf(ZtlDescriptionInfo& info, Field field) { return reinterpret_cast<char*>(&info) + field.offset; }

// The record of the header's document; null after the answer for handle 0 or
// for a document the host does not know went out.
DescriptionInfoRecord DescriptionOrReply(RequestContext& context, NoItem none) {
  const ZtlHandle document = context.item_or_reply(none);
  if (document == 0) return {};
  DescriptionInfoRecord info = TakeDescriptionInfo(context.host(), document);
  if (!info) context.reply(none);
  return info;
}

void ReplyField(RequestContext& context, Field field) {
  if (auto info = DescriptionOrReply(context, NoItem::Text(""))) {
    const std::string text(FieldText(FieldOf(*info, field), field.size));
    info.reset();
    context.reply_text(text);
  }
}

// The whole record goes back, so the other fields stay as the host gave them;
// the text is cut on a whole character to what the field holds.
void StoreField(RequestContext& context, Field field) {
  const std::string_view text = context.payload().text();
  if (auto info = DescriptionOrReply(context, NoItem::Word(0))) {
    CopyFitted(FieldOf(*info, field), text, field.size - 1);
    const bool done = context.host().SetDescriptionInfo(context.value(), info.get()) != 0;
    info.reset();
    context.reply_truth(done);
  }
}

}  // namespace

bool DeleteListEntryAt(std::span<const ZtlHandle> list, std::int32_t position, ZtlBool (*erase)(ZtlHandle)) {
  if (list.size() < 2 || position < 0 || static_cast<std::size_t>(position) >= list.size()) return false;
  return erase(list[static_cast<std::size_t>(position)]) != 0;
}

void HandleItemDocuments(RequestContext& context) {
  if (auto info = context.item_info_or_reply(0)) context.reply_item_list(ZeroTerminated(info->documents));
}

void HandleAddDocument(RequestContext& context) {
  if (const ZtlHandle item = context.item_or_reply(0)) context.reply_handle(context.host().AddDescription(item));
}

void HandleInsertDocument(RequestContext& context) {
  const std::int32_t position = context.payload().word();
  if (const ZtlHandle item = context.item_or_reply(0))
    context.reply_handle(context.host().InsertDescription(item, position));
}

void HandleDeleteDocumentAt(RequestContext& context) {
  const std::int32_t position = context.payload().word();
  if (auto info = context.item_info_or_reply(0)) {
    const bool done = DeleteListEntryAt(ZeroTerminated(info->documents), position, context.host().DeleteDescription);
    info.reset();
    context.reply_truth(done);
  }
}

void HandleDocumentTitleGet(RequestContext& context) { ReplyField(context, kTitle); }
void HandleDocumentTitleSet(RequestContext& context) { StoreField(context, kTitle); }
void HandleDocumentTextTypeGet(RequestContext& context) { ReplyField(context, kTextType); }
void HandleDocumentTextTypeSet(RequestContext& context) { StoreField(context, kTextType); }
void HandleDocumentFileNameGet(RequestContext& context) { ReplyField(context, kFileName); }
void HandleDocumentFileNameSet(RequestContext& context) { StoreField(context, kFileName); }

void HandleDocumentTextLink(RequestContext& context) {
  if (auto info = DescriptionOrReply(context, NoItem::Word(0))) {
    const bool linked = !FieldText(info->file_name, sizeof info->file_name).empty();
    info.reset();
    context.reply_truth(linked);
  }
}

namespace {

// The host's text without its CRs and with its NUL, stripped in place a
// chunk ahead of what the channel sends.
class StrippedText final : public ReplySource {
 public:
  // text has room for length bytes and the NUL.
  StrippedText(char* text, std::size_t length)
      : text_(text), stripper_(text, length), kept_(stripper_.kept_length()) {}
  std::size_t size() const override { return kept_ + 1; }
  const std::uint8_t* Prepare(std::size_t end) override {
    stripper_.StripTo(std::min(end, kept_));
    if (end > kept_) text_[kept_] = '\0';
    return reinterpret_cast<const std::uint8_t*>(text_);
  }

 private:
  char* text_;
  CarriageReturnStripper stripper_;
  std::size_t kept_;
};

}  // namespace

// A host that cannot read the text (the file a document is linked to is
// unreadable) answers a negative size; that goes back as the empty reply,
// which no text has, rather than as an empty text.
void HandleDocumentTextGet(RequestContext& context) {
  const ZtlHandle document = context.item_or_reply(NoItem::Text(""));
  if (document == 0) return;
  const std::int32_t size = context.host().GetDescriptionSize(document);
  if (size < 0) return context.reply_empty();
  // The host fills the buffer, the line breaks are converted in it and the
  // reply goes out from it: a long text is copied once, by the host.
  const ScratchBuffer::Lease lease(context.state().scratch, static_cast<std::size_t>(size) + 1);
  char* buffer = lease.data();
  const std::int32_t written = context.host().GetDescriptionStr(document, buffer, size);
  if (written < 0) return context.reply_empty();
  StrippedText text(buffer, static_cast<std::size_t>(std::min(written, size)));
  context.reply(text);
}

void HandleDocumentTextSet(RequestContext& context) {
  const std::string_view given = context.payload().text();
  const ScratchBuffer::Lease lease(context.state().scratch, NormalizedCapacity(given.size()) + 1);
  char* text = lease.data();
  text[NormalizeLineBreaksInto(given, text)] = '\0';
  if (const ZtlHandle document = context.item_or_reply(0))
    context.reply_truth(context.host().SetDescriptionStr(document, text) != 0);
}

void HandleDocumentDelete(RequestContext& context) {
  if (const ZtlHandle document = context.item_or_reply(0))
    context.reply_truth(context.host().DeleteDescription(document) != 0);
}

void HandleDocumentAssign(RequestContext& context) {
  const auto source = static_cast<ZtlHandle>(context.payload().word());
  if (const ZtlHandle document = context.item_or_reply(0))
    context.reply_truth(source != 0 && context.host().AssignDescription(document, source) != 0);
}

// The editor takes the focus also when the host refuses the document: the
// script asked for the editor either way.
void HandleDocumentSetFocus(RequestContext& context) {
  if (const ZtlHandle document = context.item_or_reply(0)) {
    const bool done = context.host().SetCurrentDescription(document) != 0;
    context.host().SetActiveControl(ZTL_AC_EDIT);
    context.reply_truth(done);
  }
}

}  // namespace scriptlink
