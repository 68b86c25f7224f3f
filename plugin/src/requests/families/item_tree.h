// Requests that walk and change the item tree through one item: relatives,
// neighbours in the selection and in the host's order, adding, inserting,
// deleting, copying, kind, level, list row, selection mark, current item and
// folder, and the project's file.
#pragma once

#include "requests/request_family.h"

#define ZTL_ITEM_TREE_HANDLERS(X)                        \
  X(ITEM_PARENT, HandleParent)                           \
  X(ITEM_FIRST_CHILD, HandleFirstChild)                  \
  X(ITEM_NEXT_SIBLING, HandleNextSibling)                \
  X(ITEM_PREV_SIBLING, HandlePrevSibling)                \
  X(ITEM_PROJECT, HandleProject)                         \
  X(ITEM_NEXT_SELECTED, HandleNextSelected)              \
  X(ITEM_PREV_SELECTED, HandlePrevSelected)              \
  X(ITEM_NEXT, HandleNextItem)                           \
  X(ITEM_PREV, HandlePrevItem)                           \
  X(ITEM_ADD, HandleAddItem)                             \
  X(ITEM_INSERT, HandleInsertItem)                       \
  X(ITEM_DELETE, HandleDeleteItem)                       \
  X(ITEM_ASSIGN, HandleAssignItem)                       \
  X(ITEM_KIND, HandleKind)                               \
  X(ITEM_LEVEL, HandleLevel)                             \
  X(ITEM_LISTITEM_INDEX, HandleListItemIndex)            \
  X(ITEM_SET_FOCUS, HandleSetFocus)                      \
  X(ITEM_SET_CURRENT_FOLDER, HandleSetCurrentFolder)     \
  X(ITEM_SELECTED_GET, HandleSelectedGet)                \
  X(ITEM_SELECTED_SET, HandleSelectedSet)                \
  X(ITEM_PROJECT_FILENAME, HandleProjectFilename)        \
  X(ITEM_CHILDREN, HandleChildren)

namespace scriptlink {

ZTL_ITEM_TREE_HANDLERS(ZTL_DECLARE_HANDLER)

inline constexpr HandlerBinding kItemTreeHandlers[] = {ZTL_ITEM_TREE_HANDLERS(ZTL_BIND_HANDLER)};

}  // namespace scriptlink
