#include "controller/serve_request.h"

#include <stdexcept>
#include <string>

#include <platform/prompt.h>

#include "requests/dispatch_table.h"
#include "requests/refresh.h"

namespace scriptlink {

namespace {

class FrameReplySink final : public ReplySink {
 public:
  explicit FrameReplySink(FrameChannel& channel) noexcept : channel_(channel) {}
  void WriteReply(std::span<const std::uint8_t> bytes) override { channel_.WriteReply(bytes); }

 private:
  FrameChannel& channel_;
};

}  // namespace

void ServeRequest(FrameChannel& channel, ChannelState& state, const HandlerEnv& env) {
  const RequestEntry* entry = FindRequest(channel.header().code);
  if (entry == nullptr) return;
  ServeRequestWith(channel, entry->handler, state, env);
}

void ServeRequestWith(FrameChannel& channel, RequestHandler handler, ChannelState& state, const HandlerEnv& env) {
  channel.transport().begin_exchange();
  const auto payload = channel.ReadRequestPayload();
  FrameReplySink sink(channel);
  RequestContext context(channel.header(), payload, state, env, sink);
  {
    // A dialog the request opened closes as cancelled when its script ends.
    const platform::prompt::AskerWatch asker(
        [](void* transport) { return static_cast<ChannelTransport*>(transport)->peer_ended(); },
        &channel.transport());
    handler(context);
  }
  if (!context.replied()) {
    context.reply_empty();
    throw std::logic_error("request " + std::to_string(channel.header().code) + " sent no reply");
  }
}

void DispatchServer::ExecMessageProc() {
  if (env_.host != nullptr && env_.host->ExecMessageProc != nullptr) env_.host->ExecMessageProc();
}

void DispatchServer::ChannelClosing() {
  if (!state_.task_list_remake_pending || env_.host == nullptr) return;
  state_.task_list_remake_pending = false;
  RemakeTaskList(*env_.host);
}

}  // namespace scriptlink
