// Documents (the host's descriptions) of an item.
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include <platform/atomic_file.h>

#include "api/api_support.h"

using namespace zentrella;
using namespace zentrella::api;

namespace {

struct DescriptionBlock : HandedOut {
  ZtlDescriptionInfo info{};
};

Handle new_document(ZtlHandle item, std::optional<std::size_t> position) {
  if (s().store().item(item) == nullptr) return 0;
  const Handle made = s().store().create_document(item, position).handle;
  s().touch(item);
  return made;
}

// Larger files are refused rather than read: a text is measured in int32.
constexpr std::size_t kLinkedFileLimit = std::size_t{1} << 30;

// A document with a file name is that file: its text is read afresh from the
// file each time it is asked for (a file not made yet reads as the empty
// text), and the host's copy follows. An unreadable file throws.
const std::string& current_text(Document& document) {
  if (document.data.file_name.empty()) return document.data.text;
  const std::string path = path_from_project(document.owner, document.data.file_name);
  std::optional<std::string> content = platform::read_regular_file(path, kLinkedFileLimit);
  document.data.text = content ? std::move(*content) : std::string();
  return document.data.text;
}

}  // namespace

extern "C" ZtlHandle ZTLPlugin_AddDescription(ZtlHandle item) {
  return guarded<ZtlHandle>("AddDescription", 0, [&] { return new_document(item, std::nullopt); });
}

extern "C" ZtlHandle ZTLPlugin_InsertDescription(ZtlHandle item, int32_t position) {
  return guarded<ZtlHandle>("InsertDescription", 0, [&] {
    return new_document(item, position < 0 ? std::nullopt : std::optional<std::size_t>(position));
  });
}

extern "C" ZtlBool ZTLPlugin_DeleteDescription(ZtlHandle document) {
  return guarded<ZtlBool>("DeleteDescription", ZTL_FALSE, [&] {
    const Document* found = s().store().document(document);
    if (found == nullptr) return ZTL_FALSE;
    const Handle owner = found->owner;
    s().store().destroy_document(document);
    s().touch(owner);
    s().forget_removed();
    return ZTL_TRUE;
  });
}

extern "C" ZtlDescriptionInfo* ZTLPlugin_GetDescriptionInfo(ZtlHandle document) {
  return guarded<ZtlDescriptionInfo*>("GetDescriptionInfo", nullptr, [&]() -> ZtlDescriptionInfo* {
    const Document* found = s().store().document(document);
    if (found == nullptr) return nullptr;
    auto block = std::make_unique<DescriptionBlock>();
    copy_field(block->info.title, found->data.title);
    copy_field(block->info.file_name, found->data.file_name);
    copy_field(block->info.text_type, found->data.text_type);
    ZtlDescriptionInfo* address = &block->info;
    hand_out(RecordKind::description_info, std::move(block), address);
    return address;
  });
}

extern "C" ZtlBool ZTLPlugin_SetDescriptionInfo(ZtlHandle document, const ZtlDescriptionInfo* info) {
  return guarded<ZtlBool>("SetDescriptionInfo", ZTL_FALSE, [&] {
    Document* found = s().store().document(document);
    if (found == nullptr || info == nullptr) return ZTL_FALSE;
    found->data.title = cut_text(field_text(info->title, sizeof info->title), sizeof info->title - 1);
    found->data.file_name = cut_text(field_text(info->file_name, sizeof info->file_name), sizeof info->file_name - 1);
    found->data.text_type = cut_text(field_text(info->text_type, sizeof info->text_type), sizeof info->text_type - 1);
    s().touch(found->owner);
    return ZTL_TRUE;
  });
}

extern "C" void ZTLPlugin_FreeDescriptionInfo(ZtlDescriptionInfo* info) {
  guarded_void("FreeDescriptionInfo", [&] { take_back(RecordKind::description_info, info); });
}

extern "C" ZtlBool ZTLPlugin_AssignDescription(ZtlHandle target, ZtlHandle source) {
  return guarded<ZtlBool>("AssignDescription", ZTL_FALSE, [&] {
    Document* into = s().store().document(target);
    const Document* from = s().store().document(source);
    if (into == nullptr || from == nullptr) return ZTL_FALSE;
    into->data = from->data;
    s().touch(into->owner);
    return ZTL_TRUE;
  });
}

// -1 when the text cannot be read (the linked file), never a silent 0.
extern "C" int32_t ZTLPlugin_GetDescriptionSize(ZtlHandle document) {
  return guarded<int32_t>("GetDescriptionSize", -1, [&] {
    Document* found = s().store().document(document);
    return found != nullptr ? static_cast<int32_t>(std::min<std::size_t>(current_text(*found).size(), INT32_MAX)) : 0;
  });
}

extern "C" int32_t ZTLPlugin_GetDescriptionStr(ZtlHandle document, char* buffer, int32_t size) {
  return guarded<int32_t>("GetDescriptionStr", -1, [&] {
    Document* found = s().store().document(document);
    return found != nullptr ? fill_buffer(buffer, size, current_text(*found)) : fill_buffer(buffer, size, "");
  });
}

extern "C" ZtlBool ZTLPlugin_SetDescriptionStr(ZtlHandle document, const char* text) {
  return guarded<ZtlBool>("SetDescriptionStr", ZTL_FALSE, [&] {
    Document* found = s().store().document(document);
    if (found == nullptr || text == nullptr) return ZTL_FALSE;
    // A linked file is replaced atomically first, and the text is assigned
    // only then, in one step that leaves the old text whole if it fails: a
    // failure leaves the old text in both. The text's own storage is reused,
    // so a long text written again costs no fresh memory.
    const std::string_view replacement(text);
    if (!found->data.file_name.empty())
      platform::write_file_atomically(path_from_project(found->owner, found->data.file_name), replacement);
    found->data.text.assign(replacement);
    if (s().editor().document() == document) s().editor().open(document);
    s().touch(found->owner);
    return ZTL_TRUE;
  });
}
