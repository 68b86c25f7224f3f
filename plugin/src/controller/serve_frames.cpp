#include "controller/serve_frames.h"

#include <algorithm>
#include <cstring>

#include "channel/channel_error.h"
#include "channel/frame_channel.h"
#include "channel/scripted_transport.h"
#include "controller/serve_request.h"

namespace scriptlink {

int ServeArbitraryFrames(const std::uint8_t* data, std::size_t size, const HandlerEnv& env) {
  ScriptedTransport transport;
  for (std::size_t at = 0; size - at >= ZTL_FRAME_HEADER_SIZE;) {
    ClientFrame frame;
    std::memcpy(&frame.header, data + at, ZTL_FRAME_HEADER_SIZE);
    at += ZTL_FRAME_HEADER_SIZE;
    const std::size_t length = std::min<std::size_t>({frame.header.chunk_length, ZTL_CHUNK_MAX, size - at});
    frame.chunk.assign(data + at, data + at + length);
    at += length;
    transport.queue(std::move(frame));
  }
  FrameChannel channel(transport);
  ChannelState state;
  int served = 0;
  while (channel.WaitForRequest(std::chrono::milliseconds(0))) {
    channel.CopyHeader();
    ++served;
    try {
      ServeRequest(channel, state, env);
    } catch (const ChannelError&) {
      // the exchange ended; a real run would end here too
    }
    transport.clear_published();
  }
  return served;
}

}  // namespace scriptlink
