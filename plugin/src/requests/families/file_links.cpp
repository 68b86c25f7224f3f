// The file-link half of the family.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "host_binding/host_records.h"
#include "requests/families/document_link.h"
#include "requests/text_fit.h"

namespace scriptlink {

namespace {

// A fixed text field of the link record, named by offset and size since the
// record is packed.
struct Field {
  std::size_t offset;
  std::size_t size;
};

constexpr Field kTitle{offsetof(ZtlLinkedFileInfo, title), sizeof(ZtlLinkedFileInfo::title)};
constexpr Field kFileName{offsetof(ZtlLinkedFileInfo, file_name), sizeof(ZtlLinkedFileInfo::file_name)};
constexpr Field kOption{offsetof(ZtlLinkedFileInfo, option), sizeof(ZtlLinkedFileInfo::option)};
constexpr Field kWorkDir{offsetof(ZtlLinkedFileInfo, work_dir), sizeof(ZtlLinkedFileInfo::work_dir)};

char* FieldOf(ZtlLinkedFileInfo& info, Field field) { return reinterpret_cast<char*>(&info) + field.offset; }

// The record of the header's link; null after the answer for handle 0 or for
// a link the host does not know went out.
LinkedFileInfoRecord LinkOrReply(RequestContext& context, NoItem none) {
  const ZtlHandle link = context.item_or_reply(none);
  if (link == 0) return {};
  LinkedFileInfoRecord info = TakeLinkedFileInfo(context.host(), link);
  if (!info) context.reply(none);
  return info;
}

void ReplyField(RequestContext& context, Field field) {
  if (auto info = LinkOrReply(context, NoItem::Text(""))) {
    const std::string text(FieldText(FieldOf(*info, field), field.size));
    info.reset();
    context.reply_text(text);
  }
}

// The whole record goes back, so the other fields stay as the host gave them;
// the text is cut on a whole character to what the field holds.
void StoreField(RequestContext& context, Field field) {
  const std::string_view text = context.payload().text();
  if (auto info = LinkOrReply(context, NoItem::Word(0))) {
    CopyFitted(FieldOf(*info, field), text, field.size - 1);
    const bool done = context.host().SetLinkedFileInfo(context.value(), info.get()) != 0;
    info.reset();
    context.reply_truth(done);
  }
}

}  // namespace

// Byte by byte and case-sensitive, as the host's own markers are written; a
// marker may follow other text.
bool HoldsAddressMarker(std::string_view name) noexcept {
  constexpr std::array<std::string_view, 4> kMarkers{"http:", "https:", "ftp:", "www."};
  for (std::size_t at = 0; at < name.size(); ++at) {
    for (std::string_view marker : kMarkers)
      if (name.substr(at, marker.size()) == marker) return true;
  }
  return false;
}

void HandleItemFileLinks(RequestContext& context) {
  if (auto info = context.item_info_or_reply(0)) context.reply_item_list(ZeroTerminated(info->file_links));
}

void HandleAddFileLink(RequestContext& context) {
  if (const ZtlHandle item = context.item_or_reply(0)) context.reply_handle(context.host().AddLinkedFile(item));
}

void HandleInsertFileLink(RequestContext& context) {
  const std::int32_t position = context.payload().word();
  if (const ZtlHandle item = context.item_or_reply(0))
    context.reply_handle(context.host().InsertLinkedFile(item, position));
}

void HandleDeleteFileLinkAt(RequestContext& context) {
  const std::int32_t position = context.payload().word();
  if (auto info = context.item_info_or_reply(0)) {
    const bool done = DeleteListEntryAt(ZeroTerminated(info->file_links), position, context.host().DeleteLinkedFile);
    info.reset();
    context.reply_truth(done);
  }
}

void HandleFileLinkTitleGet(RequestContext& context) { ReplyField(context, kTitle); }
void HandleFileLinkTitleSet(RequestContext& context) { StoreField(context, kTitle); }
void HandleFileLinkFileNameGet(RequestContext& context) { ReplyField(context, kFileName); }
void HandleFileLinkFileNameSet(RequestContext& context) { StoreField(context, kFileName); }
void HandleFileLinkOptionGet(RequestContext& context) { ReplyField(context, kOption); }
void HandleFileLinkOptionSet(RequestContext& context) { StoreField(context, kOption); }
void HandleFileLinkWorkDirGet(RequestContext& context) { ReplyField(context, kWorkDir); }
void HandleFileLinkWorkDirSet(RequestContext& context) { StoreField(context, kWorkDir); }

void HandleFileLinkUrl(RequestContext& context) {
  if (auto info = LinkOrReply(context, NoItem::Word(0))) {
    const bool address = HoldsAddressMarker(FieldText(info->file_name, sizeof info->file_name));
    info.reset();
    context.reply_truth(address);
  }
}

void HandleFileLinkDelete(RequestContext& context) {
  if (const ZtlHandle link = context.item_or_reply(0)) context.reply_truth(context.host().DeleteLinkedFile(link) != 0);
}

void HandleFileLinkAssign(RequestContext& context) {
  const auto source = static_cast<ZtlHandle>(context.payload().word());
  if (const ZtlHandle link = context.item_or_reply(0))
    context.reply_truth(source != 0 && context.host().AssignLinkedFile(link, source) != 0);
}

void HandleFileLinkExecute(RequestContext& context) {
  if (const ZtlHandle link = context.item_or_reply(0)) context.reply_truth(context.host().ExecLinekdFile(link) != 0);
}

}  // namespace scriptlink
