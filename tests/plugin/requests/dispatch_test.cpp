// The dispatch table and the one-reply rule.
#include <gtest/gtest.h>

#include <cstring>
#include <stdexcept>

#include <ztl/request_codes.h>

#include "channel_test_support.h"
#include "fake_host_api.h"
#include "requests/dispatch_table.h"
#include "controller/serve_frames.h"
#include <filesystem>
#include <fstream>
#include <iterator>

#include "real_host.h"
#include "requests/families/document_link.h"
#include "requests/families/dialog.h"
#include "requests/families/host_query.h"
#include "requests/families/item_property.h"
#include "requests/families/item_tree.h"
#include "requests/families/project_option.h"

using namespace scriptlink;
using channel_test::ScriptedChannel;

namespace {

TEST(DispatchTable, EveryCodeHasItsEntryAndOthersAreDropped) {
  const auto table = DispatchTable();
  ASSERT_EQ(table.size(), 110u);
#define ZTL_EXPECT_ENTRY(c, n, f, what)                           \
  {                                                               \
    const RequestEntry* entry = FindRequest(c);                   \
    ASSERT_NE(entry, nullptr) << c;                               \
    EXPECT_EQ(entry->code, static_cast<std::uint32_t>(c));        \
    EXPECT_STREQ(entry->name, #n);                                \
    EXPECT_EQ(entry->family, RequestFamily::f) << c;              \
  }
  ZTL_REQUEST_CODES(ZTL_EXPECT_ENTRY)
#undef ZTL_EXPECT_ENTRY
  EXPECT_EQ(FindRequest(0), nullptr);
  EXPECT_EQ(FindRequest(111), nullptr);
  EXPECT_EQ(FindRequest(0xFFFFFFFFu), nullptr);
}

TEST(DispatchTable, BuiltFamiliesReachTheirHandlersOthersTheTemporaryOne) {
  EXPECT_EQ(FindRequest(ZTL_REQ_SPECIAL_ITEM)->handler, &HandleSpecialItem);
  EXPECT_EQ(FindRequest(ZTL_REQ_FOCUS_PANE)->handler, &HandleFocusPane);
  EXPECT_EQ(FindRequest(ZTL_REQ_ITEM_CHILDREN)->handler, &HandleChildren);
  EXPECT_EQ(FindRequest(ZTL_REQ_ITEM_ALARM_SET)->handler, &HandleAlarmSet);
  EXPECT_EQ(FindRequest(ZTL_REQ_ITEM_CREATE_TIME_GET)->handler, &HandleCreateTimeGet);
  EXPECT_EQ(FindRequest(ZTL_REQ_PROJECT_OPTION_SET)->handler, &HandleProjectOptionSet);
  EXPECT_EQ(FindRequest(ZTL_REQ_FILELINK_EXECUTE)->handler, &HandleFileLinkExecute);
  EXPECT_EQ(FindRequest(ZTL_REQ_DISP_INPUT_DIALOG)->handler, &HandleInputDialog);
  for (const RequestEntry& entry : DispatchTable()) {
    const bool built = entry.family == RequestFamily::HOST_QUERY || entry.family == RequestFamily::ITEM_TREE ||
                       entry.family == RequestFamily::ITEM_PROPERTY || entry.family == RequestFamily::DOCUMENT_LINK ||
                       entry.family == RequestFamily::PROJECT_OPTION || entry.family == RequestFamily::EDITOR ||
                       entry.family == RequestFamily::DIALOG;
    EXPECT_EQ(entry.handler == &HandleUnservedRequest, !built) << entry.code;
  }
}

TEST(ServeRequest, DroppedCodesGetNoReplyAndUnservedCodesAnEmptyOne) {
  channel_test::ResetFakeHost();
  const HandlerEnv env = channel_test::FakeEnv();
  ScriptedChannel link;
  for (std::uint32_t code : {0u, 111u, 0x80000000u}) {
    EXPECT_TRUE(link.Request(code, channel_test::Words({1}), env).empty());
    EXPECT_TRUE(link.transport.published().empty()) << code;
  }
  // Every family is built now; the handler a family without one would get
  // still answers empty, under the request's own code.
  link.transport.clear_published();
  link.transport.queue(ScriptedTransport::RequestFrames(ZTL_REQ_DISP_DATE_DIALOG, 0, channel_test::Words({1})));
  ASSERT_TRUE(link.Arrive());
  ServeRequestWith(link.channel, &HandleUnservedRequest, link.state, env);
  ASSERT_EQ(link.transport.published().size(), 1u);
  EXPECT_EQ(link.transport.published()[0].header.total_length, 0u);
  EXPECT_EQ(link.transport.published()[0].header.code, static_cast<std::uint32_t>(ZTL_REQ_DISP_DATE_DIALOG));
}

void Forgets(RequestContext&) {}
void RepliesTwice(RequestContext& context) {
  context.reply_word(1);
  context.reply_word(2);
}
void IgnoresPayload(RequestContext& context) { context.reply_word(5); }

TEST(ServeRequest, HandlerThatForgetsToReplyIsCaughtAndTheScriptStillGetsOne) {
  ScriptedChannel link;
  link.transport.queue(ClientFrame{{76, 0, 0, 0, 1}, {}});
  ASSERT_TRUE(link.Arrive());
  EXPECT_THROW(ServeRequestWith(link.channel, &Forgets, link.state, HandlerEnv{}), std::logic_error);
  ASSERT_EQ(link.transport.published().size(), 1u);
  EXPECT_EQ(link.transport.published()[0].header.last, 1u);
}

TEST(ServeRequest, SecondReplyIsRefused) {
  ScriptedChannel link;
  link.transport.queue(ClientFrame{{76, 0, 0, 0, 1}, {}});
  ASSERT_TRUE(link.Arrive());
  EXPECT_THROW(ServeRequestWith(link.channel, &RepliesTwice, link.state, HandlerEnv{}), std::logic_error);
  EXPECT_EQ(link.transport.published().size(), 1u);
  EXPECT_EQ(channel_test::ToWords(link.transport.reply_bytes()), std::vector<std::int32_t>{1});
}

TEST(ServeRequest, PayloadIsTakenEvenWhenTheHandlerDoesNotReadIt) {
  // Otherwise the reply would be taken for "chunk taken" and the sides would part step.
  ScriptedChannel link;
  link.transport.queue(ScriptedTransport::RequestFrames(76, 0, std::vector<std::uint8_t>(9000, 1)));
  ASSERT_TRUE(link.Arrive());
  ServeRequestWith(link.channel, &IgnoresPayload, link.state, HandlerEnv{});
  EXPECT_EQ(link.transport.queued(), 0u);
  const auto& published = link.transport.published();
  ASSERT_EQ(published.size(), 2u);
  EXPECT_EQ(published[0].length, 0u);
  EXPECT_EQ(channel_test::ToWords(link.transport.reply_bytes()), std::vector<std::int32_t>{5});
}

}  // namespace

namespace {

// A small deterministic fuzz run: random frames against the real table and
// the real host must never crash, overflow (see the sanitizer build), hang or
// keep a host record.
using RandomFrames = request_test::RealHostTest;

TEST_F(RandomFrames, AreServedSafely) {
  const ZtlHandle selection[] = {A, C, 0};
  ASSERT_NE(ZTLPlugin_SelectItems(selection), 0);
  std::uint64_t seed = 0x2545F4914F6CDD1Dull;
  auto next = [&] {
    seed ^= seed << 13, seed ^= seed >> 7, seed ^= seed << 17;
    return static_cast<std::uint32_t>(seed);
  };
  int served = 0;
  for (int round = 0; round < 300; ++round) {
    std::vector<std::uint8_t> bytes;
    for (int frame = 0; frame < 4; ++frame) {
      const std::uint32_t chunk = next() % 3 == 0 ? next() : next() % 64;
      const std::uint32_t total = next() % 3 == 0 ? next() : chunk + next() % 2 * (next() % 9000);
      // Handles mostly near those of the tree, so that items are found, changed and deleted.
      const std::uint32_t value = next() % 4 == 0 ? next() : next() % 16;
      const std::uint32_t header[5] = {next() % 120, value, total, chunk, next() % 3 == 0 ? 0u : 1u};
      const auto* raw = reinterpret_cast<const std::uint8_t*>(header);
      bytes.insert(bytes.end(), raw, raw + sizeof header);
      for (std::uint32_t i = 0; i < std::min<std::uint32_t>(chunk, 64); ++i)
        bytes.push_back(static_cast<std::uint8_t>(next()));
    }
    served += ServeArbitraryFrames(bytes.data(), bytes.size(), env);
  }
  EXPECT_GT(served, 0);
}

// The fuzzer's seeds, served against the real host: every seed is answered
// and gives back every record it took.
TEST_F(RandomFrames, FuzzSeedsAreServedAndGiveBackTheirRecords) {
  int seeds = 0;
  for (const auto& entry : std::filesystem::directory_iterator(ZTL_FUZZ_CORPUS_DIR)) {
    std::ifstream file(entry.path(), std::ios::binary);
    const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(file), {}};
    EXPECT_GT(ServeArbitraryFrames(bytes.data(), bytes.size(), env), 0) << entry.path();
    EXPECT_EQ(zentrella::outstanding_records(), 0u) << entry.path();
    ++seeds;
  }
  EXPECT_GE(seeds, 20);
}

}  // namespace
