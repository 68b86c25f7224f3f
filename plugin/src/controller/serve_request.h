// Serves the request whose header the channel has just copied: looks up its
// handler, takes the payload, runs the handler and makes sure of one reply.
// The channel object's dispatch loop and the fuzz target both enter here.
#pragma once

#include "channel/channel_state.h"
#include "channel/frame_channel.h"
#include "handlers/request_context.h"

namespace scriptlink {

// Codes 0 and above 110 are dropped without a reply.
void ServeRequest(FrameChannel& channel, ChannelState& state, const HandlerEnv& env);

// Runs one handler on the current request. The payload is always taken in
// full first, so the exchange keeps its shape whatever the handler reads. A
// handler that sent no reply gets an empty one sent for it (the script must not
// hang) and then std::logic_error is thrown: that is a bug to be seen.
void ServeRequestWith(FrameChannel& channel, RequestHandler handler, ChannelState& state, const HandlerEnv& env);

}  // namespace scriptlink
