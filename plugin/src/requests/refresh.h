// The task list refresh after an item change, and the update bracket that
// gathers many changes into one remake.
#pragma once

#include "requests/channel_state.h"
#include "requests/request_context.h"

namespace scriptlink {

// Inside an update bracket only marks the remake as pending; otherwise remakes now.
void RefreshTaskList(const HostApi& host, ChannelState& state);
// The refresh step after a request changed items.
inline void RefreshTaskList(RequestContext& context) { RefreshTaskList(context.host(), context.state()); }
// Rebuilds the host's task list view.
void RemakeTaskList(const HostApi& host);

// Opens a bracket: counts it and locks the host's client window (every begin locks).
void BeginUpdate(const HandlerEnv& env, ChannelState& state);
// Closes a bracket; when none is left open, remakes a pending task list and unlocks.
void EndUpdate(const HandlerEnv& env, ChannelState& state);

}  // namespace scriptlink
