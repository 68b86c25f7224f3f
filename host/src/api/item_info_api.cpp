// The item info record: handed out whole, taken back whole.
#include <algorithm>
#include <array>
#include <cstddef>
#include <cstring>
#include <memory>
#include <string_view>

#include "api/api_support.h"
#include "api/kept_blocks.h"
#include "model/date_scale.h"
#include "model/text_units.h"

using namespace zentrella;
using namespace zentrella::api;

namespace {

// The three 0-terminated lists of the record share one allocation: the
// documents, then the file links, then the categories, each with its 0.
// The record is filled whole by make_item_info. A record is handed out and
// taken back on every property read, so the storage of a few taken-back
// blocks is kept for the next ones rather than going back to the heap.
struct ItemInfoBlock : HandedOut {
  ZtlItemInfo info;
  // The lists live in the block itself when they fit, else in more_lists.
  std::array<ZtlHandle, 16> inline_lists;
  std::vector<ZtlHandle> more_lists;

  static void* operator new(std::size_t size) { return KeptBlocks<ItemInfoBlock>::take(size); }
  static void operator delete(void* storage, std::size_t size) noexcept { KeptBlocks<ItemInfoBlock>::give(storage, size); }
};

// Zeroes every byte of the record outside the title, which put_title fills.
void clear_all_but_title(ZtlItemInfo& info) {
  auto* bytes = reinterpret_cast<unsigned char*>(&info);
  constexpr std::size_t title_end = offsetof(ZtlItemInfo, title) + sizeof info.title;
  std::memset(bytes, 0, offsetof(ZtlItemInfo, title));
  std::memset(bytes + title_end, 0, sizeof info - title_end);
}

void fill_dates(ZtlItemInfo& info, const Dates& dates) {
  info.start_time = dates.start;
  info.planned_start_time = dates.planned_start;
  info.end_time = dates.end;
  info.due_time = dates.due;
  info.last_modify_time = dates.last_modify;
  info.create_time = dates.create;
}

// The title's text and its NUL. The title is five sixths of the record and is
// read up to its NUL, so the bytes after it are not cleared on every read: a
// kept block may still hold an older title's tail there.
void put_title(ZtlItemInfo& info, std::string_view title) {
  const std::size_t length = whole_chars_length(title, ZTL_TITLE_MAX);
  std::memcpy(info.title, title.data(), length);
  info.title[length] = '\0';
}

// Copies list and its 0 to at; returns the place after them.
ZtlHandle* put_terminated(ZtlHandle* at, const std::vector<Handle>& list) {
  at = std::copy(list.begin(), list.end(), at);
  *at = 0;
  return at + 1;
}

ZtlItemInfo* make_item_info(const Item& item) {
  // Filled below, field by field: zeroing the whole block first would cost
  // more than everything else a property read does.
  auto block = std::make_unique_for_overwrite<ItemInfoBlock>();
  ZtlItemInfo& info = block->info;
  clear_all_but_title(info);
  info.kind = static_cast<std::uint16_t>(item.fields.kind);
  put_title(info, item.fields.title);
  info.progress = item.fields.progress;
  info.priority = item.fields.priority;
  copy_field(info.message_id, sizeof info.message_id, item.fields.message_id, ZTL_MESSAGE_ID_SIZE);
  fill_dates(info, item.fields.dates);
  info.list_item_index = s().list_item_index(item);
  info.selected = truth(s().is_selected(item.handle));
  const std::size_t count = item.documents.size() + item.links.size() + item.categories.size() + 3;
  ZtlHandle* lists = block->inline_lists.data();
  if (count > block->inline_lists.size()) {
    block->more_lists.resize(count);
    lists = block->more_lists.data();
  }
  info.documents = lists;
  info.file_links = put_terminated(info.documents, item.documents);
  info.user_categories = put_terminated(info.file_links, item.links);
  put_terminated(info.user_categories, item.categories);
  ZtlItemInfo* address = &block->info;
  hand_out(RecordKind::item_info, std::move(block), address);
  return address;
}

bool dates_on_scale(const ZtlItemInfo& info) {
  for (double value : {info.start_time, info.planned_start_time, info.end_time, info.due_time}) {
    if (value != 0.0 && !is_on_scale(value)) return false;
  }
  return true;
}

}  // namespace

extern "C" ZtlItemInfo* ZTLPlugin_GetItemInfo(ZtlHandle item) {
  return guarded<ZtlItemInfo*>("GetItemInfo", nullptr, [&]() -> ZtlItemInfo* {
    const Item* found = s().store().item(item);
    return found != nullptr ? make_item_info(*found) : nullptr;
  });
}

extern "C" void ZTLPlugin_FreeItemInfo(ZtlItemInfo* info) {
  guarded_void("FreeItemInfo", [&] { take_back(RecordKind::item_info, info); });
}

// Takes back title, progress, priority, the four dates a user sets and the
// selection mark; kind, message id, list index, create and last modify
// times are the host's own. A date off the scale (not finite, or outside
// the years 1 to 9999) could not be saved, so the record is refused whole.
extern "C" ZtlBool ZTLPlugin_SetItemInfo(ZtlHandle item, const ZtlItemInfo* info) {
  return guarded<ZtlBool>("SetItemInfo", ZTL_FALSE, [&] {
    Item* found = s().store().item(item);
    if (found == nullptr || info == nullptr || !dates_on_scale(*info)) return ZTL_FALSE;
    // Only the fields taken back are compared and written; the rest of the
    // item's fields stay as they are.
    const std::string_view given(info->title, strnlen(info->title, ZTL_TITLE_MAX));
    const std::string_view title = given.substr(0, whole_chars_length(given, ZTL_TITLE_MAX));
    ItemFields& fields = found->fields;
    const Dates dates{info->start_time, info->planned_start_time, info->end_time, info->due_time,
                      fields.dates.last_modify, fields.dates.create};
    const bool changed = fields.title != title || fields.progress != info->progress ||
                         fields.priority != info->priority || !(fields.dates == dates);
    if (fields.title != title) fields.title.assign(title);
    fields.progress = info->progress;
    fields.priority = info->priority;
    fields.dates = dates;
    s().set_selected(item, info->selected != 0);
    if (changed) s().touch(item);
    return ZTL_TRUE;
  });
}
