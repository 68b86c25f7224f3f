// The plug-in info record the host reads once at start-up: the plug-in's name
// and one command entry per command table slot. Every part is a C allocation
// of its own; a record is built fresh on each call and freed only whole.
#pragma once

#include <zentrella/plugin_abi.h>

#include "commands/command_table.h"

namespace scriptlink {

inline constexpr const char* kPluginName = "Scriptlink";
// Each text of a command entry gets this many bytes (256 characters + NUL).
inline constexpr std::size_t kEntryTextSize = 257;

// Throws std::bad_alloc when memory runs out; nothing is left allocated then.
ZtlPluginInfo* BuildPluginInfo(const TCommandArray& table);

// Frees a record of BuildPluginInfo, also a half-built one (null parts are
// skipped). Null does nothing.
void FreePluginInfo(ZtlPluginInfo* info) noexcept;

}  // namespace scriptlink
