// The item info record: handed out whole, taken back whole.
#include <memory>

#include "api/api_support.h"
#include "model/date_scale.h"

using namespace zentrella;
using namespace zentrella::api;

namespace {

struct ItemInfoBlock : HandedOut {
  ZtlItemInfo info{};
  std::vector<ZtlHandle> documents;
  std::vector<ZtlHandle> links;
  std::vector<ZtlHandle> categories;
};

std::vector<ZtlHandle> terminated(std::vector<Handle> list) {
  list.push_back(0);
  return list;
}

void fill_dates(ZtlItemInfo& info, const Dates& dates) {
  info.start_time = dates.start;
  info.planned_start_time = dates.planned_start;
  info.end_time = dates.end;
  info.due_time = dates.due;
  info.last_modify_time = dates.last_modify;
  info.create_time = dates.create;
}

ZtlItemInfo* make_item_info(const Item& item) {
  auto block = std::make_unique<ItemInfoBlock>();
  ZtlItemInfo& info = block->info;
  info.kind = static_cast<std::uint16_t>(item.fields.kind);
  copy_field(info.title, sizeof info.title, item.fields.title, ZTL_TITLE_MAX);
  info.progress = item.fields.progress;
  info.priority = item.fields.priority;
  copy_field(info.message_id, sizeof info.message_id, item.fields.message_id, ZTL_MESSAGE_ID_SIZE);
  fill_dates(info, item.fields.dates);
  info.list_item_index = s().list_item_index(item.handle);
  info.selected = truth(s().is_selected(item.handle));
  block->documents = terminated(item.documents);
  block->links = terminated(item.links);
  block->categories = terminated(item.categories);
  info.documents = block->documents.data();
  info.file_links = block->links.data();
  info.user_categories = block->categories.data();
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
    ItemFields fields = found->fields;
    fields.title = cut_text(field_text(info->title, ZTL_TITLE_MAX), ZTL_TITLE_MAX);
    fields.progress = info->progress;
    fields.priority = info->priority;
    fields.dates.start = info->start_time;
    fields.dates.planned_start = info->planned_start_time;
    fields.dates.end = info->end_time;
    fields.dates.due = info->due_time;
    const bool changed = !(fields == found->fields);
    found->fields = fields;
    s().set_selected(item, info->selected != 0);
    if (changed) s().touch(item);
    return ZTL_TRUE;
  });
}
