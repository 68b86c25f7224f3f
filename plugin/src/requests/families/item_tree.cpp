#include "requests/families/item_tree.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <span>

#include <ztl/payloads.h>

#include "host_binding/host_records.h"
#include "requests/refresh.h"

namespace scriptlink {

namespace {

// A chain of parents longer than this is a broken host, not a tree.
constexpr int kDeepestLevel = 1 << 16;

using RelativeOf = ZtlFn_GetParent;

void ReplyRelative(RequestContext& context, RelativeOf HostApi::*relative) {
  if (auto item = context.item_or_reply(0)) context.reply_handle((context.host().*relative)(item));
}

// The entry step places away from item in entries; 0 when item is not there
// or the step leaves the list.
ZtlHandle Neighbour(std::span<const ZtlHandle> entries, ZtlHandle item, std::ptrdiff_t step) {
  const auto at = std::ranges::find(entries, item);
  if (at == entries.end()) return 0;
  const std::ptrdiff_t index = (at - entries.begin()) + step;
  if (index < 0 || index >= static_cast<std::ptrdiff_t>(entries.size())) return 0;
  return entries[static_cast<std::size_t>(index)];
}

ZtlHandle Sibling(const HostApi& host, ZtlHandle item, std::ptrdiff_t step) {
  const ZtlHandle parent = host.GetParent(item);
  if (parent == 0) return 0;
  const ItemEntries children = TakeChildren(host, parent);
  return Neighbour(children.entries(), item, step);
}

// From an item that is not selected the walk starts at the first selected
// item going forward and at the last going back, so a script can walk the
// whole selection from anywhere.
ZtlHandle SelectedNeighbour(const HostApi& host, ZtlHandle item, std::ptrdiff_t step) {
  const ItemEntries selection = TakeSelectedItems(host);
  const auto entries = selection.entries();
  if (entries.empty()) return 0;
  if (std::ranges::find(entries, item) == entries.end()) return step > 0 ? entries.front() : entries.back();
  return Neighbour(entries, item, step);
}

// The channel carries kinds as the host numbers them; the two headers must agree.
static_assert(ZTL_KIND_TASK == ZTL_ITEM_TASK && ZTL_KIND_FILER == ZTL_ITEM_FILER &&
              ZTL_KIND_FOLDER == ZTL_ITEM_FOLDER && ZTL_KIND_PROJECT == ZTL_ITEM_PROJECT);

bool IsItemKind(std::int32_t kind) { return kind >= ZTL_KIND_TASK && kind <= ZTL_KIND_PROJECT; }

void MakeCurrent(RequestContext& context, ZtlFn_SetCurrentItem HostApi::*setter) {
  if (auto item = context.item_or_reply(0)) {
    const bool done = (context.host().*setter)(item) != 0;
    // The task list takes the focus also when the host refused.
    context.host().SetActiveControl(ZTL_AC_TASKLISTVIEW);
    context.reply_truth(done);
  }
}

}  // namespace

void HandleParent(RequestContext& context) { ReplyRelative(context, &HostApi::GetParent); }
void HandleProject(RequestContext& context) { ReplyRelative(context, &HostApi::GetProject); }
void HandleNextItem(RequestContext& context) { ReplyRelative(context, &HostApi::GetNextItem); }
void HandlePrevItem(RequestContext& context) { ReplyRelative(context, &HostApi::GetPrevItem); }

void HandleFirstChild(RequestContext& context) {
  if (auto item = context.item_or_reply(0)) context.reply_handle(TakeChildren(context.host(), item).first());
}

void HandleNextSibling(RequestContext& context) {
  if (auto item = context.item_or_reply(0)) context.reply_handle(Sibling(context.host(), item, +1));
}

void HandlePrevSibling(RequestContext& context) {
  if (auto item = context.item_or_reply(0)) context.reply_handle(Sibling(context.host(), item, -1));
}

void HandleNextSelected(RequestContext& context) {
  if (auto item = context.item_or_reply(0)) context.reply_handle(SelectedNeighbour(context.host(), item, +1));
}

void HandlePrevSelected(RequestContext& context) {
  if (auto item = context.item_or_reply(0)) context.reply_handle(SelectedNeighbour(context.host(), item, -1));
}

// Handle 0 stands for the top level, where only a project can be added.
void HandleAddItem(RequestContext& context) {
  const std::int32_t kind = context.payload().word();
  const ZtlHandle parent = context.value();
  if (!IsItemKind(kind) || (parent == 0 && kind != ZTL_KIND_PROJECT)) return context.reply_handle(0);
  const ZtlHandle added = context.host().AddItem(parent, static_cast<std::uint16_t>(kind));
  if (added != 0) RefreshTaskList(context);
  context.reply_handle(added);
}

void HandleInsertItem(RequestContext& context) {
  PayloadReader payload = context.payload();
  const std::int32_t position = payload.word();
  const std::int32_t kind = payload.word();
  const ZtlHandle item = context.value();
  if (item == 0 || !IsItemKind(kind)) return context.reply_handle(0);
  const ZtlHandle inserted = context.host().InsertItem(item, static_cast<std::uint16_t>(kind), position);
  if (inserted != 0) RefreshTaskList(context);
  context.reply_handle(inserted);
}

void HandleDeleteItem(RequestContext& context) {
  if (auto item = context.item_or_reply(0)) context.reply_word(context.host().DeleteItem(item, -1));
}

void HandleAssignItem(RequestContext& context) {
  PayloadReader payload = context.payload();
  const auto source = static_cast<ZtlHandle>(payload.word());
  const bool with_children = payload.word() != 0;
  const ZtlHandle target = context.value();
  if (target == 0 || source == 0) return context.reply_word(0);
  const HostApi& host = context.host();
  context.reply_word(with_children ? host.AssignItemWithChildren(target, source) : host.AssignItem(target, source));
}

void HandleKind(RequestContext& context) {
  if (auto info = context.item_info_or_reply(-1)) {
    const std::int32_t kind = info->kind;
    info.reset();
    context.reply_word(kind);
  }
}

// A project is level 0. A deleted item answers -1 like no item, not 0 as if
// it were a project of its own.
void HandleLevel(RequestContext& context) {
  if (auto info = context.item_info_or_reply(-1)) {
    info.reset();
    std::int32_t level = 0;
    for (ZtlHandle at = context.host().GetParent(context.value()); at != 0 && level < kDeepestLevel; ++level)
      at = context.host().GetParent(at);
    context.reply_word(level);
  }
}

void HandleListItemIndex(RequestContext& context) {
  if (auto info = context.item_info_or_reply(-1)) {
    const std::int32_t index = info->list_item_index;
    info.reset();
    context.reply_word(index);
  }
}

void HandleSetFocus(RequestContext& context) { MakeCurrent(context, &HostApi::SetCurrentItem); }
void HandleSetCurrentFolder(RequestContext& context) { MakeCurrent(context, &HostApi::SetCurrentFolder); }

void HandleSelectedGet(RequestContext& context) {
  if (auto info = context.item_info_or_reply(0)) {
    const std::int32_t selected = info->selected;
    info.reset();
    context.reply_word(selected);
  }
}

// Only the flag's low byte counts. The answer says whether the host took the
// mark: a deleted item answers 0 rather than a success that did not happen.
void HandleSelectedSet(RequestContext& context) {
  const bool selected = (context.payload().word() & 0xFF) != 0;
  if (auto info = context.item_info_or_reply(0)) {
    info->selected = selected ? -1 : 0;
    const bool done = context.host().SetItemInfo(context.value(), info.get()) != 0;
    info.reset();
    context.reply_truth(done);
  }
}

void HandleProjectFilename(RequestContext& context) {
  if (auto item = context.item_or_reply(NoItem::Text(""))) {
    std::array<char, ZTL_USER_FOLDER_MAX + 1> buffer{};
    context.host().GetProjectFilename(item, buffer.data(), ZTL_USER_FOLDER_MAX);
    buffer.back() = '\0';  // whatever the host wrote, the text ends inside the buffer
    context.reply_text(buffer.data());
  }
}

// A deleted item has no list of children: it answers as no item does.
void HandleChildren(RequestContext& context) {
  if (auto item = context.item_or_reply(NoItem::Empty())) {
    const ItemEntries children = TakeChildren(context.host(), item);
    if (!children.present()) return context.reply_empty();
    context.reply_item_list(children.entries());
  }
}

}  // namespace scriptlink
