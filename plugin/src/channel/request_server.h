// What the channel object serves requests with. The channel moves frames and
// knows nothing of request codes or handlers; the run gives it a server.
#pragma once

namespace scriptlink {

class FrameChannel;

class RequestServer {
 public:
  virtual ~RequestServer() = default;
  // Serves the request whose header the channel has just copied.
  virtual void Serve(FrameChannel& channel) = 0;
  // Lets the host process its pending messages, before each request.
  virtual void ExecMessageProc() = 0;
  // The channel closes: last work left over from the requests.
  virtual void ChannelClosing() = 0;
};

}  // namespace scriptlink
