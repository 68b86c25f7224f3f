// Requests that ask the user: the host's item selection and date dialogs, and
// the plug-in's input dialog.
#pragma once

#include "requests/request_family.h"

#define ZTL_DIALOG_HANDLERS(X)                 \
  X(DISP_ITEM_SELECT, HandleItemSelect)        \
  X(DISP_DATE_DIALOG, HandleDateDialog)        \
  X(DISP_INPUT_DIALOG, HandleInputDialog)

namespace scriptlink {

// The caption of a dialog whose request gives none.
inline constexpr const char* kDefaultDialogCaption = "Script Link";

ZTL_DIALOG_HANDLERS(ZTL_DECLARE_HANDLER)

inline constexpr HandlerBinding kDialogHandlers[] = {ZTL_DIALOG_HANDLERS(ZTL_BIND_HANDLER)};

}  // namespace scriptlink
