// Requests about the host's editor: selection, caret, top row, line texts and
// counts. Every handler goes straight to the host, which owns the editor.
#pragma once

#include "requests/request_family.h"

#define ZTL_EDITOR_HANDLERS(X)                       \
  X(EDIT_SEL_START_GET, HandleEditSelStartGet)       \
  X(EDIT_SEL_START_SET, HandleEditSelStartSet)       \
  X(EDIT_SEL_LENGTH_GET, HandleEditSelLengthGet)     \
  X(EDIT_SEL_LENGTH_SET, HandleEditSelLengthSet)     \
  X(EDIT_SEL_TEXT_GET, HandleEditSelTextGet)         \
  X(EDIT_SEL_TEXT_SET, HandleEditSelTextSet)         \
  X(EDIT_ROW_GET, HandleEditRowGet)                  \
  X(EDIT_ROW_SET, HandleEditRowSet)                  \
  X(EDIT_COL_GET, HandleEditColGet)                  \
  X(EDIT_COL_SET, HandleEditColSet)                  \
  X(EDIT_TOP_ROW_GET, HandleEditTopRowGet)           \
  X(EDIT_TOP_ROW_SET, HandleEditTopRowSet)           \
  X(EDIT_ROW_TO_LINES, HandleEditRowToLines)         \
  X(EDIT_LINE_GET, HandleEditLineGet)                \
  X(EDIT_LINE_SET, HandleEditLineSet)                \
  X(EDIT_LINES_SIZE, HandleEditLinesSize)            \
  X(EDIT_LIST_SIZE, HandleEditListSize)              \
  X(EDIT_ROW_SIZE, HandleEditRowSize)                \
  X(EDIT_COL_SIZE, HandleEditColSize)                \
  X(EDIT_COL_TO_CHAR, HandleEditColToChar)

namespace scriptlink {

ZTL_EDITOR_HANDLERS(ZTL_DECLARE_HANDLER)

inline constexpr HandlerBinding kEditorHandlers[] = {ZTL_EDITOR_HANDLERS(ZTL_BIND_HANDLER)};

}  // namespace scriptlink
