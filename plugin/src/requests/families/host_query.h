// Requests about the host as a whole: special items and lists, the update
// bracket, host commands, panes, folders and versions.
#pragma once

#include <cstdint>

#include <ztl/request_codes.h>

#include "handlers/request_family.h"

namespace scriptlink {

void HandleSpecialItem(RequestContext& context);     // 1
void HandleUpdateBracket(RequestContext& context);   // 25
void HandleExecCommand(RequestContext& context);     // 75
void HandleHostPath(RequestContext& context);        // 76
void HandleUserFolder(RequestContext& context);      // 77
void HandleHostVersion(RequestContext& context);     // 78
void HandlePluginVersion(RequestContext& context);   // 79
void HandleSetFocusPane(RequestContext& context);    // 81
void HandleExecShift(RequestContext& context);       // 82
void HandleFocusPane(RequestContext& context);       // 89

// The number a version travels as: (major * 100 + minor) * 100 + release.
std::int32_t VersionNumber(std::uint32_t high, std::uint32_t low) noexcept;

inline constexpr HandlerBinding kHostQueryHandlers[] = {
    {ZTL_REQ_SPECIAL_ITEM, &HandleSpecialItem},   {ZTL_REQ_UPDATE_BRACKET, &HandleUpdateBracket},
    {ZTL_REQ_EXEC_COMMAND, &HandleExecCommand},   {ZTL_REQ_HOST_PATH, &HandleHostPath},
    {ZTL_REQ_USER_FOLDER, &HandleUserFolder},     {ZTL_REQ_HOST_VERSION, &HandleHostVersion},
    {ZTL_REQ_PLUGIN_VERSION, &HandlePluginVersion}, {ZTL_REQ_SET_FOCUS_PANE, &HandleSetFocusPane},
    {ZTL_REQ_EXEC_SHIFT, &HandleExecShift},       {ZTL_REQ_FOCUS_PANE, &HandleFocusPane},
};

}  // namespace scriptlink
