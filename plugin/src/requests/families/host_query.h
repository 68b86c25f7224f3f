// Requests about the host as a whole: special items and lists, the update
// bracket, host commands, panes, folders and versions.
#pragma once

#include <cstdint>

#include "requests/request_family.h"

#define ZTL_HOST_QUERY_HANDLERS(X)              \
  X(SPECIAL_ITEM, HandleSpecialItem)            \
  X(UPDATE_BRACKET, HandleUpdateBracket)        \
  X(EXEC_COMMAND, HandleExecCommand)            \
  X(HOST_PATH, HandleHostPath)                  \
  X(USER_FOLDER, HandleUserFolder)              \
  X(HOST_VERSION, HandleHostVersion)            \
  X(PLUGIN_VERSION, HandlePluginVersion)        \
  X(SET_FOCUS_PANE, HandleSetFocusPane)         \
  X(EXEC_SHIFT, HandleExecShift)                \
  X(FOCUS_PANE, HandleFocusPane)

namespace scriptlink {

// The number a version travels as: (major * 100 + minor) * 100 + release.
std::int32_t VersionNumber(std::uint32_t high, std::uint32_t low) noexcept;

ZTL_HOST_QUERY_HANDLERS(ZTL_DECLARE_HANDLER)

inline constexpr HandlerBinding kHostQueryHandlers[] = {ZTL_HOST_QUERY_HANDLERS(ZTL_BIND_HANDLER)};

}  // namespace scriptlink
