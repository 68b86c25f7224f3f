// Serves requests through the real protocol code over a scripted client.
#pragma once

#include <cstdint>
#include <cstring>
#include <span>
#include <string>
#include <vector>

#include "channel/frame_channel.h"
#include "channel/scripted_transport.h"
#include "controller/serve_request.h"

namespace channel_test {

inline std::vector<std::uint8_t> Bytes(std::string_view text) { return {text.begin(), text.end()}; }

inline std::vector<std::uint8_t> Words(std::initializer_list<std::int32_t> words) {
  std::vector<std::uint8_t> bytes(words.size() * 4);
  std::size_t at = 0;
  for (std::int32_t word : words) {
    std::memcpy(bytes.data() + at, &word, 4);
    at += 4;
  }
  return bytes;
}

inline std::vector<std::int32_t> ToWords(const std::vector<std::uint8_t>& bytes) {
  std::vector<std::int32_t> words(bytes.size() / 4);
  if (!words.empty()) std::memcpy(words.data(), bytes.data(), words.size() * 4);
  return words;
}

struct ScriptedChannel {
  scriptlink::ScriptedTransport transport;
  scriptlink::FrameChannel channel{transport};
  scriptlink::ChannelState state;

  // Lets the next request arrive (as DispatchRequests does) and copies its header.
  bool Arrive() {
    if (!channel.WaitForRequest(std::chrono::milliseconds(100))) return false;
    channel.CopyHeader();
    return true;
  }
  // Queues one well-formed request, serves it through the table, returns the reply.
  std::vector<std::uint8_t> Request(std::uint32_t code, std::span<const std::uint8_t> payload,
                                    const scriptlink::HandlerEnv& env, std::uint32_t value = 0) {
    transport.clear_published();
    transport.queue(scriptlink::ScriptedTransport::RequestFrames(code, value, payload));
    Arrive();
    scriptlink::ServeRequest(channel, state, env);
    return transport.reply_bytes();
  }
};

}  // namespace channel_test
