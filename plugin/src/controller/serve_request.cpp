#include "channel/serve_request.h"

#include <stdexcept>
#include <string>

#include "handlers/dispatch_table.h"

namespace scriptlink {

void ServeRequest(FrameChannel& channel, ChannelState& state, const HandlerEnv& env) {
  const RequestEntry* entry = FindRequest(channel.header().code);
  if (entry == nullptr) return;
  ServeRequestWith(channel, entry->handler, state, env);
}

void ServeRequestWith(FrameChannel& channel, RequestHandler handler, ChannelState& state, const HandlerEnv& env) {
  channel.transport().begin_exchange();
  const auto payload = channel.ReadRequestPayload();
  RequestContext context(channel.header(), payload, state, env, channel);
  handler(context);
  if (!context.replied()) {
    context.reply_empty();
    throw std::logic_error("request " + std::to_string(channel.header().code) + " sent no reply");
  }
}

}  // namespace scriptlink
