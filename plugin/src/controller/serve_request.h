// Serves the request whose header the channel has just copied: looks up its
// handler, takes the payload, runs the handler and makes sure of one reply.
// This is where the channel and the request handlers meet; neither includes
// the other. The channel object's dispatch loop and the fuzz target enter here.
#pragma once

#include <memory>

#include "channel/frame_channel.h"
#include "channel/request_server.h"
#include "requests/channel_state.h"
#include "requests/request_context.h"

namespace scriptlink {

// Codes 0 and above 110 are dropped without a reply.
void ServeRequest(FrameChannel& channel, ChannelState& state, const HandlerEnv& env);

// Runs one handler on the current request. The payload is always taken in
// full first, so the exchange keeps its shape whatever the handler reads. A
// handler that sent no reply gets an empty one sent for it (the script must not
// hang) and then std::logic_error is thrown: that is a bug to be seen.
void ServeRequestWith(FrameChannel& channel, RequestHandler handler, ChannelState& state, const HandlerEnv& env);

class RequestTrace;

// The server of one channel object: the dispatch table, the handlers'
// surroundings and the state the requests keep on the channel object. It
// traces its requests when the plug-in's trace was on at its making.
class DispatchServer final : public RequestServer {
 public:
  explicit DispatchServer(HandlerEnv env);
  void Serve(FrameChannel& channel) override;
  void ExecMessageProc() override;
  // Carries out a task list remake still pending (the script ended inside an update bracket).
  void ChannelClosing() override;

  ChannelState& state() noexcept { return state_; }
  const HandlerEnv& env() const noexcept { return env_; }

 private:
  HandlerEnv env_;
  ChannelState state_;
  RequestTrace* trace_ = nullptr;
};

inline std::unique_ptr<DispatchServer> MakeDispatchServer(HandlerEnv env) {
  return std::make_unique<DispatchServer>(std::move(env));
}

}  // namespace scriptlink
