// Navigating and changing the item tree.
#include "api/api_support.h"

using namespace zentrella;
using namespace zentrella::api;

extern "C" ZtlHandle ZTLPlugin_GetParent(ZtlHandle item) {
  return guarded<ZtlHandle>("GetParent", 0, [&] {
    const Item* found = s().store().item(item);
    return found != nullptr ? found->parent : 0;
  });
}

extern "C" ZtlHandle ZTLPlugin_GetProject(ZtlHandle item) {
  return guarded<ZtlHandle>("GetProject", 0, [&] { return s().project_of(item); });
}

extern "C" ZtlHandle* ZTLPlugin_GetChildren(ZtlHandle item) {
  return guarded<ZtlHandle*>("GetChildren", nullptr, [&]() -> ZtlHandle* {
    const Item* found = s().store().item(item);
    return found != nullptr ? hand_out_list(found->children) : nullptr;
  });
}

extern "C" ZtlHandle ZTLPlugin_GetNextItem(ZtlHandle item) {
  return guarded<ZtlHandle>("GetNextItem", 0, [&] { return s().next_item(item); });
}

extern "C" ZtlHandle ZTLPlugin_GetPrevItem(ZtlHandle item) {
  return guarded<ZtlHandle>("GetPrevItem", 0, [&] { return s().prev_item(item); });
}

extern "C" int32_t ZTLPlugin_GetListItemIndex(ZtlHandle item) {
  return guarded<int32_t>("GetListItemIndex", -1, [&] { return s().list_item_index(item); });
}

// The tree has no nodes of its own: an item's node is named by its handle.
extern "C" uint32_t ZTLPlugin_GetTreeNodeHandle(ZtlHandle item) {
  return guarded<uint32_t>("GetTreeNodeHandle", 0, [&] { return s().store().item(item) != nullptr ? item : 0u; });
}

extern "C" ZtlHandle ZTLPlugin_GetItemFromMessageId(const char* message_id) {
  return guarded<ZtlHandle>("GetItemFromMessageId", 0, [&] {
    return message_id != nullptr ? s().item_from_message_id(field_text(message_id, ZTL_MESSAGE_ID_SIZE)) : 0;
  });
}

extern "C" ZtlHandle ZTLPlugin_AddItem(ZtlHandle parent, uint16_t kind) {
  return guarded<ZtlHandle>("AddItem", 0, [&] {
    return is_valid_kind(kind) ? s().add_item(parent, static_cast<ItemKind>(kind)) : 0;
  });
}

// A new child of item at position (clamped; negative = at the end).
extern "C" ZtlHandle ZTLPlugin_InsertItem(ZtlHandle item, uint16_t kind, int32_t position) {
  return guarded<ZtlHandle>("InsertItem", 0, [&] {
    return is_valid_kind(kind) ? s().insert_item(item, static_cast<ItemKind>(kind), position) : 0;
  });
}

extern "C" ZtlBool ZTLPlugin_DeleteItem(ZtlHandle item, int32_t to_recycle_bin) {
  return guarded<ZtlBool>("DeleteItem", ZTL_FALSE, [&] { return truth(s().delete_item(item, to_recycle_bin != 0)); });
}

extern "C" ZtlBool ZTLPlugin_AssignItem(ZtlHandle target, ZtlHandle source) {
  return guarded<ZtlBool>("AssignItem", ZTL_FALSE, [&] { return truth(s().assign_item(target, source, false)); });
}

extern "C" ZtlBool ZTLPlugin_AssignItemWithChildren(ZtlHandle target, ZtlHandle source) {
  return guarded<ZtlBool>("AssignItemWithChildren", ZTL_FALSE,
                          [&] { return truth(s().assign_item(target, source, true)); });
}

// Updates of one item are not batched here; the bracket is only counted.
extern "C" void ZTLPlugin_ItemBeginUpdate(ZtlHandle item) {
  guarded_void("ItemBeginUpdate", [&] {
    if (s().store().item(item) != nullptr) ++s().update_depth;
  });
}

extern "C" void ZTLPlugin_ItemEndUpdate(ZtlHandle item) {
  guarded_void("ItemEndUpdate", [&] {
    if (s().store().item(item) != nullptr && s().update_depth > 0) --s().update_depth;
  });
}
