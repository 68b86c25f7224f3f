// Chunking in both directions and frames a client should never send.
#include <gtest/gtest.h>

#include <numeric>

#include "channel/channel_error.h"
#include "channel_test_support.h"

using namespace scriptlink;
using channel_test::ScriptedChannel;

namespace {

std::vector<std::uint8_t> Pattern(std::size_t size) {
  std::vector<std::uint8_t> bytes(size);
  for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<std::uint8_t>(i * 7 + i / 251);
  return bytes;
}

ClientFrame Frame(std::uint32_t total, std::uint32_t chunk_length, std::uint32_t last, std::size_t bytes = 0) {
  ClientFrame frame;
  frame.header = {75, 9, total, chunk_length, last};
  frame.chunk.assign(bytes ? bytes : std::min<std::size_t>(chunk_length, ZTL_CHUNK_MAX), 0x41);
  return frame;
}

// The first chunk of another request: empty, under the code and value given.
ClientFrame Another(std::uint32_t code, std::uint32_t value) {
  ClientFrame frame = Frame(ZTL_CHUNK_MAX + 4, 4, 1);
  frame.header.code = code;
  frame.header.value = value;
  return frame;
}

// What the handler saw, and the reply it sends.
std::vector<std::uint8_t> seen;
std::vector<std::uint8_t> reply_to_send;
int handler_calls = 0;

void Recorder(RequestContext& context) {
  ++handler_calls;
  const auto bytes = context.payload().bytes();
  seen.assign(bytes.begin(), bytes.end());
  context.reply(reply_to_send);
}

class FrameChannelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    seen.clear();
    reply_to_send.clear();
    handler_calls = 0;
  }
  void Serve() {
    ASSERT_TRUE(link.Arrive());
    ServeRequestWith(link.channel, &Recorder, link.state, env);
  }
  // Serves and expects the exchange to fail with text, the handler unreached.
  void ExpectFailure(const char* text) {
    ASSERT_TRUE(link.Arrive());
    try {
      ServeRequestWith(link.channel, &Recorder, link.state, env);
      FAIL() << "no error";
    } catch (const ChannelError& error) {
      EXPECT_STREQ(error.what(), text);
    }
    EXPECT_EQ(handler_calls, 0);
    for (const PublishedFrame& frame : link.transport.published()) EXPECT_EQ(frame.length, 0u) << "a reply was sent";
  }

  ScriptedChannel link;
  HandlerEnv env;
};

TEST_F(FrameChannelTest, PayloadOfOneFullChunkNeedsNoAcknowledgement) {
  const auto payload = Pattern(ZTL_CHUNK_MAX);
  link.transport.queue(ClientFrame{{75, 3, ZTL_CHUNK_MAX, ZTL_CHUNK_MAX, 1}, payload});
  Serve();
  EXPECT_EQ(seen, payload);
  ASSERT_EQ(link.transport.published().size(), 1u);  // only the reply
}

TEST_F(FrameChannelTest, PayloadOneByteOverAChunkTravelsInTwo) {
  const auto payload = Pattern(ZTL_CHUNK_MAX + 1);
  link.transport.queue(ClientFrame{{75, 3, ZTL_CHUNK_MAX + 1, ZTL_CHUNK_MAX, 0},
                                   {payload.begin(), payload.begin() + ZTL_CHUNK_MAX}});
  link.transport.queue(ClientFrame{{75, 3, ZTL_CHUNK_MAX + 1, 1, 1}, {payload.back()}});
  Serve();
  EXPECT_EQ(seen, payload);
  const auto& published = link.transport.published();
  ASSERT_EQ(published.size(), 2u);
  EXPECT_EQ(published[0].length, 0u);  // "chunk taken": a signal, nothing flushed
  EXPECT_EQ(published[1].header.last, 1u);
}

TEST_F(FrameChannelTest, LongReplyIsChunkedAndRepeatsCodeAndValue) {
  reply_to_send = Pattern(20000);
  link.transport.queue(ClientFrame{{75, 0xABCD, 0, 0, 1}, {}});
  Serve();
  const auto& published = link.transport.published();
  ASSERT_EQ(published.size(), 3u);
  const std::uint32_t chunks[] = {8172, 8172, 3656};
  for (std::size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(published[i].header.code, 75u);
    EXPECT_EQ(published[i].header.value, 0xABCDu);
    EXPECT_EQ(published[i].header.total_length, 20000u);
    EXPECT_EQ(published[i].header.chunk_length, chunks[i]);
    EXPECT_EQ(published[i].header.last, i == 2 ? 1u : 0u);
    EXPECT_EQ(published[i].length, chunks[i] + ZTL_FRAME_HEADER_SIZE);  // flush only what was written
  }
  EXPECT_EQ(link.transport.reply_bytes(), reply_to_send);
}

TEST_F(FrameChannelTest, WhatTheClientLeavesBetweenReplyChunksIsNotReadBack) {
  reply_to_send = Pattern(3 * ZTL_CHUNK_MAX);
  link.transport.set_auto_ack(false);
  link.transport.queue(ClientFrame{{75, 1, 0, 0, 1}, {}});
  for (int i = 0; i < 2; ++i) link.transport.queue(ClientFrame{{999, 7, 5, 0xFFFFFFFF, 1}, {}});  // acks
  Serve();
  EXPECT_EQ(link.transport.reply_bytes(), reply_to_send);
  for (const PublishedFrame& frame : link.transport.published()) EXPECT_EQ(frame.header.code, 75u);
}

TEST_F(FrameChannelTest, EmptyRequestAndEmptyReply) {
  link.transport.queue(ClientFrame{{75, 0, 0, 0, 1}, {}});
  Serve();
  EXPECT_TRUE(seen.empty());
  ASSERT_EQ(link.transport.published().size(), 1u);
  const PublishedFrame& reply = link.transport.published()[0];
  EXPECT_EQ(reply.length, ZTL_FRAME_HEADER_SIZE);
  EXPECT_EQ(reply.header.total_length, 0u);
  EXPECT_EQ(reply.header.chunk_length, 0u);
  EXPECT_EQ(reply.header.last, 1u);
}

TEST_F(FrameChannelTest, ClientGoneDuringMultiChunkRequest) {
  link.transport.queue(Frame(ZTL_CHUNK_MAX + 1, ZTL_CHUNK_MAX, 0));  // the second chunk never comes
  ExpectFailure(kScriptEndedMidExchange);
}

TEST_F(FrameChannelTest, ClientGoneBeforeTakingAReplyChunk) {
  reply_to_send = Pattern(ZTL_CHUNK_MAX + 1);
  link.transport.set_auto_ack(false);
  link.transport.queue(ClientFrame{{75, 0, 0, 0, 1}, {}});
  ASSERT_TRUE(link.Arrive());
  try {
    ServeRequestWith(link.channel, &Recorder, link.state, env);
    FAIL() << "no error";
  } catch (const ChannelError& error) {
    EXPECT_STREQ(error.what(), kScriptEndedMidExchange);
  }
}

struct Malformed {
  const char* what;
  std::vector<ClientFrame> frames;
  const char* error;
};

TEST_F(FrameChannelTest, MalformedFramesEndTheExchangeWithoutOverflow) {
  const Malformed cases[] = {
      {"chunk longer than the frame", {Frame(20000, ZTL_CHUNK_MAX + 1, 0, ZTL_CHUNK_MAX)}, kMalformedFrame},
      {"chunk beyond the total", {Frame(10, 11, 1)}, kMalformedFrame},
      {"later chunk overruns", {Frame(ZTL_CHUNK_MAX + 10, ZTL_CHUNK_MAX, 0), Frame(ZTL_CHUNK_MAX + 10, 11, 1)},
       kMalformedFrame},
      // Empty chunks that never end the message would hold the host for ever.
      {"more chunks than the total needs", std::vector<ClientFrame>(5, Frame(10, 0, 0)), kMalformedFrame},
      {"ends short of its total", {Frame(100, 40, 1)}, kMalformedFrame},
      {"empty message claiming more chunks", {Frame(0, 0, 0)}, kMalformedFrame},
      {"huge total", {Frame(0xFFFFFFFFu, ZTL_CHUNK_MAX, 0)}, kPayloadTooLarge},
      // Another client's first chunk, written after the sender of the first died.
      {"next chunk of another request", {Frame(ZTL_CHUNK_MAX + 4, ZTL_CHUNK_MAX, 0), Another(78, 9)}, kMalformedFrame},
      {"next chunk for another handle", {Frame(ZTL_CHUNK_MAX + 4, ZTL_CHUNK_MAX, 0), Another(75, 10)}, kMalformedFrame},
      {"next chunk of another total", {Frame(ZTL_CHUNK_MAX + 4, ZTL_CHUNK_MAX, 0), Frame(ZTL_CHUNK_MAX + 5, 4, 1)},
       kMalformedFrame},
  };
  for (const Malformed& malformed : cases) {
    SCOPED_TRACE(malformed.what);
    link.transport.clear_published();
    while (link.transport.queued() != 0) link.Arrive();  // drop what a previous case left
    link.transport.queue(malformed.frames);
    ExpectFailure(malformed.error);
  }
}

TEST_F(FrameChannelTest, ChannelServesTheNextRequestAfterABigOne) {
  const auto big = Pattern(3 * ZTL_CHUNK_MAX + 5);
  link.transport.queue(ScriptedTransport::RequestFrames(75, 0, big));
  Serve();
  EXPECT_EQ(seen, big);
  const auto small = Pattern(3);
  link.transport.queue(ScriptedTransport::RequestFrames(75, 0, small));
  Serve();
  EXPECT_EQ(seen, small);
}

}  // namespace
