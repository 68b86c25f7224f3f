#include "controller/serve_request.h"

#include <chrono>
#include <stdexcept>
#include <string>

#include <platform/prompt.h>

#include "controller/request_trace.h"
#include "requests/dispatch_table.h"
#include "requests/refresh.h"

namespace scriptlink {

namespace {

class FrameReplySink final : public ReplySink {
 public:
  explicit FrameReplySink(FrameChannel& channel) noexcept : channel_(channel) {}
  void WriteReply(std::span<const std::uint8_t> bytes) override {
    channel_.WriteReply(bytes);
    written_ = bytes.size();
  }
  void WriteReply(ReplySource& source) override {
    channel_.WriteReplyFrom(source.size(), [&source](std::size_t end) { return source.Prepare(end); });
    written_ = source.size();
  }
  std::size_t written() const noexcept { return written_; }

 private:
  FrameChannel& channel_;
  std::size_t written_ = 0;
};

struct ServedSizes {
  std::size_t payload = 0;
  std::size_t reply = 0;
};

// One request's exchange around run(handler, context): the plain call, or one
// that the trace times.
template <typename Run>
ServedSizes ServeWith(FrameChannel& channel, RequestHandler handler, ChannelState& state, const HandlerEnv& env,
                      Run&& run) {
  channel.transport().begin_exchange();
  const auto payload = channel.ReadRequestPayload();
  FrameReplySink sink(channel);
  RequestContext context(channel.header(), payload, state, env, sink);
  {
    // A dialog the request opened closes as cancelled when its script ends.
    const platform::prompt::AskerWatch asker(
        [](void* transport) { return static_cast<ChannelTransport*>(transport)->peer_ended(); },
        &channel.transport());
    run(handler, context);
  }
  if (!context.replied()) {
    context.reply_empty();
    throw std::logic_error("request " + std::to_string(channel.header().code) + " sent no reply");
  }
  return {payload.size(), sink.written()};
}

// The traced way: the request's line is written also when it fails.
void ServeTraced(FrameChannel& channel, ChannelState& state, const HandlerEnv& env, RequestTrace& trace) {
  const RequestEntry* entry = FindRequest(channel.header().code);
  if (entry == nullptr) return;
  TracedRequest line{entry->code, entry->name, channel.header().value, channel.header().total_length, 0, {}};
  try {
    const auto timed = [&line](RequestHandler handler, RequestContext& context) {
      const auto begin = std::chrono::steady_clock::now();
      handler(context);
      line.spent = std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now() - begin);
    };
    const ServedSizes sizes = ServeWith(channel, entry->handler, state, env, timed);
    line.payload_bytes = sizes.payload;
    line.reply_bytes = sizes.reply;
  } catch (...) {
    trace.Record(line);
    throw;
  }
  trace.Record(line);
}

}  // namespace

void ServeRequest(FrameChannel& channel, ChannelState& state, const HandlerEnv& env) {
  const RequestEntry* entry = FindRequest(channel.header().code);
  if (entry == nullptr) return;
  ServeRequestWith(channel, entry->handler, state, env);
}

void ServeRequestWith(FrameChannel& channel, RequestHandler handler, ChannelState& state, const HandlerEnv& env) {
  ServeWith(channel, handler, state, env, [](RequestHandler run, RequestContext& context) { run(context); });
}

DispatchServer::DispatchServer(HandlerEnv env) : env_(std::move(env)), trace_(ActiveRequestTrace()) {}

void DispatchServer::Serve(FrameChannel& channel) {
  if (trace_ != nullptr) [[unlikely]] {
    ServeTraced(channel, state_, env_, *trace_);
    return;
  }
  ServeRequest(channel, state_, env_);
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
