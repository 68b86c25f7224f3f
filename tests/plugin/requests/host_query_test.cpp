// The host query requests: against the real host where it can show the
// behaviour, against the fake where the test needs a host that misbehaves
// (a user folder without its NUL) or records what it was asked (commands).
#include <gtest/gtest.h>

#include <string>

#include <platform/process.h>
#include <ztl/payloads.h>
#include <ztl/request_codes.h>

#include "channel_test_support.h"
#include "fake_host_api.h"
#include "real_host.h"
#include "requests/families/host_query.h"
#include "requests/refresh.h"

using namespace scriptlink;
using channel_test::Bytes;
using channel_test::Fake;
using channel_test::ToWords;
using channel_test::Words;
using W = std::vector<std::int32_t>;

namespace {

class HostQueryRealTest : public request_test::RealHostTest {
 protected:
  W Selector(std::int32_t selector) { return RequestWords(ZTL_REQ_SPECIAL_ITEM, 0, Words({selector})); }
};

TEST_F(HostQueryRealTest, SingleItemSelectorsAnswerTheHostsItems) {
  ASSERT_NE(ZTLPlugin_SetCurrentItem(B), 0);
  const ZtlHandle document = ZTLPlugin_AddDescription(B);
  ASSERT_NE(ZTLPlugin_SetCurrentDescription(document), 0);
  const ZtlHandle selection[] = {C, A, 0};
  ASSERT_NE(ZTLPlugin_SelectItems(selection), 0);
  EXPECT_EQ(Selector(ZTL_SELECT_CURRENT_ITEM), W{static_cast<std::int32_t>(B)});
  EXPECT_EQ(Selector(ZTL_SELECT_CURRENT_FOLDER), W{static_cast<std::int32_t>(F)});
  EXPECT_EQ(Selector(ZTL_SELECT_CURRENT_PROJECT), W{static_cast<std::int32_t>(P)});
  EXPECT_EQ(Selector(ZTL_SELECT_RECYCLED), W{static_cast<std::int32_t>(ZTLPlugin_GetRecycled())});
  EXPECT_EQ(Selector(ZTL_SELECT_SCRAP_PROJECT), W{static_cast<std::int32_t>(ZTLPlugin_GetScrapProject())});
  EXPECT_EQ(Selector(ZTL_SELECT_SELECTED_TOP), W{static_cast<std::int32_t>(C)});
  // The current document's own handle: ztl_current_document needs it as it is.
  EXPECT_EQ(Selector(ZTL_SELECT_CURRENT_DOCUMENT), W{static_cast<std::int32_t>(document)});
}

TEST_F(HostQueryRealTest, ListSelectorsSendEntriesAndTerminator) {
  const ZtlHandle selection[] = {C, A, 0};
  ASSERT_NE(ZTLPlugin_SelectItems(selection), 0);
  ASSERT_NE(ZTLPlugin_SetCurrentFolder(F), 0);
  const auto i = [](zentrella::Handle h) { return static_cast<std::int32_t>(h); };
  EXPECT_EQ(Selector(ZTL_SELECT_SELECTED_ITEMS), (W{i(C), i(A), 0}));
  EXPECT_EQ(Selector(ZTL_SELECT_DISPLAYED_ITEMS), (W{i(A), i(B), i(C), 0}));
  EXPECT_EQ(Selector(ZTL_SELECT_LOADED_PROJECTS), (W{i(P), 0}));
}

TEST_F(HostQueryRealTest, NothingSelectedAndUnknownSelectors) {
  EXPECT_EQ(Selector(ZTL_SELECT_SELECTED_TOP), W{0});
  EXPECT_EQ(Selector(ZTL_SELECT_SELECTED_ITEMS), W{0});  // only the terminator
  ASSERT_NE(ZTLPlugin_SetCurrentItem(B), 0);             // must not leak out of an unknown selector
  for (std::int32_t selector : {12, -1, -12, INT32_MIN}) EXPECT_EQ(Selector(selector), W{0}) << selector;
  EXPECT_EQ(RequestWords(ZTL_REQ_SPECIAL_ITEM, 0), W{static_cast<std::int32_t>(B)});  // a missing selector reads 0
  EXPECT_EQ(RequestWords(ZTL_REQ_SPECIAL_ITEM, 0, {9, 0}), W{static_cast<std::int32_t>(B)});  // so does half a word
}

TEST_F(HostQueryRealTest, LongListTravelsInChunks) {
  for (int i = 0; i < 5000; ++i) ZTLPlugin_AddItem(F, ZTL_ITEM_TASK);
  ASSERT_NE(ZTLPlugin_SetCurrentFolder(F), 0);
  const W reply = Selector(ZTL_SELECT_DISPLAYED_ITEMS);
  ASSERT_EQ(reply.size(), 5004u);
  EXPECT_EQ(reply.back(), 0);
  EXPECT_EQ(Published(), 3u);
}

TEST_F(HostQueryRealTest, NestedUpdateBracketsRemakeOnceAtTheEnd) {
  const auto begin = Words({1});
  const auto end = Words({0});
  ZtlWindow client = 0;
  ZTLPlugin_GetWindowHandle(nullptr, nullptr, nullptr, nullptr, nullptr, &client, nullptr);
  EXPECT_TRUE(Request(ZTL_REQ_UPDATE_BRACKET, 0, begin).empty());
  Request(ZTL_REQ_UPDATE_BRACKET, 0, begin);
  EXPECT_EQ(locks, (std::vector<ZtlWindow>{client, client}));
  Request(ZTL_REQ_ITEM_TITLE_SET, A, request_test::Text("changed"));  // an item change inside the bracket
  Request(ZTL_REQ_UPDATE_BRACKET, 0, end);
  EXPECT_EQ(link.state.update_nesting_count, 1);
  EXPECT_EQ(Remakes(), 0);
  EXPECT_EQ(locks.size(), 2u);  // still locked
  Request(ZTL_REQ_UPDATE_BRACKET, 0, end);
  EXPECT_EQ(Remakes(), 1);
  EXPECT_FALSE(link.state.task_list_remake_pending);
  EXPECT_EQ(locks.back(), ZtlWindow{0});
  Request(ZTL_REQ_ITEM_TITLE_SET, A, request_test::Text("again"));  // outside a bracket: at once
  EXPECT_EQ(Remakes(), 2);
}

TEST_F(HostQueryRealTest, EndWithoutBeginUnlocksAndRemakesWhatIsPending) {
  Request(ZTL_REQ_UPDATE_BRACKET, 0, Words({0}));
  EXPECT_EQ(link.state.update_nesting_count, 0);
  EXPECT_EQ(locks, std::vector<ZtlWindow>{0});
  EXPECT_EQ(Remakes(), 0);
  link.state.task_list_remake_pending = true;
  Request(ZTL_REQ_UPDATE_BRACKET, 0);  // no flag at all reads as end
  EXPECT_EQ(Remakes(), 1);
}

TEST_F(HostQueryRealTest, FocusPanesAndUserFolder) {
  EXPECT_EQ(RequestWords(ZTL_REQ_SET_FOCUS_PANE, 0, Words({0x1203})), W{1});  // only the low byte counts
  EXPECT_EQ(Host().active_control, 3);
  Host().active_control = 0xF3;
  EXPECT_EQ(RequestWords(ZTL_REQ_FOCUS_PANE, 0), W{0x73});
  Host().user_folder = "/home/u/Zentrella/";
  EXPECT_EQ(RequestText(ZTL_REQ_USER_FOLDER, 0), std::string("/home/u/Zentrella/\0", 19));
}

TEST_F(HostQueryRealTest, PluginVersionNumber) {
  EXPECT_EQ(RequestWords(ZTL_REQ_PLUGIN_VERSION, 0), W{20730});
  EXPECT_EQ(VersionNumber((1u << 16) | 23u, 4u << 16), 12304);
  EXPECT_EQ(VersionNumber((1u << 16) | 123u, 0), 22300);  // a component above 99 runs into the next
}

// On the fake host.
class HostQueryTest : public ::testing::Test {
 protected:
  void SetUp() override { channel_test::ResetFakeHost(); }
  void TearDown() override {
    EXPECT_EQ(Fake().lists_released, Fake().lists_handed_out) << "a host list was not given back";
    EXPECT_EQ(Fake().foreign_releases, 0);
  }
  std::vector<std::uint8_t> Request(std::uint32_t code, const std::vector<std::uint8_t>& payload = {}) {
    return link.Request(code, payload, env);
  }

  channel_test::ScriptedChannel link;
  HandlerEnv env = channel_test::FakeEnv({(2u << 16) | 7u, (30u << 16) | 9u});
};

TEST_F(HostQueryTest, ExecCommandPassesTenArgumentsAndTheShiftFlag) {
  const char text[] = "Sort\0a\0b\0c\0d\0e\0f\0g\0h\0i\0";  // the tenth is the array's own NUL
  const std::string payload(text, sizeof text);
  EXPECT_EQ(ToWords(Request(ZTL_REQ_EXEC_COMMAND, Bytes(payload))), W{1});
  EXPECT_EQ(ToWords(Request(ZTL_REQ_EXEC_SHIFT, Words({0x100}))), W{1});  // only the low byte counts: off
  Request(ZTL_REQ_EXEC_COMMAND, Bytes(payload));
  Request(ZTL_REQ_EXEC_SHIFT, Words({0x201}));
  Request(ZTL_REQ_EXEC_COMMAND, Bytes(payload));
  const auto& commands = Fake().commands;
  ASSERT_EQ(commands.size(), 3u);
  EXPECT_EQ(commands[0].name, "Sort");
  EXPECT_EQ(commands[0].arguments, (std::vector<std::string>{"a", "b", "c", "d", "e", "f", "g", "h", "i", ""}));
  EXPECT_TRUE(commands[0].null_terminated);
  EXPECT_EQ(commands[0].target, 0);
  EXPECT_EQ(commands[0].param, -1);
  EXPECT_EQ(commands[0].shift, 0);
  EXPECT_EQ(commands[1].shift, 0);
  EXPECT_EQ(commands[2].shift, -1);
}

TEST_F(HostQueryTest, ExecCommandWithShortPayloads) {
  Request(ZTL_REQ_EXEC_COMMAND, Bytes(std::string("Go\0x\0y", 6)));  // two strings, the last without NUL
  Request(ZTL_REQ_EXEC_COMMAND, Bytes("Run"));                        // a name without NUL
  Request(ZTL_REQ_EXEC_COMMAND);                                      // nothing
  const auto& commands = Fake().commands;
  ASSERT_EQ(commands.size(), 3u);
  EXPECT_EQ(commands[0].name, "Go");
  EXPECT_EQ(commands[0].arguments, (std::vector<std::string>{"x", "y", "", "", "", "", "", "", "", ""}));
  EXPECT_EQ(commands[1].name, "Run");
  EXPECT_EQ(commands[1].arguments.size(), 10u);
  EXPECT_EQ(commands[2].name, "");
  for (const auto& command : commands) EXPECT_TRUE(command.null_terminated);
}

TEST_F(HostQueryTest, HostPathEndsWithItsDelimiter) {
  std::string expected = platform::current_executable_path();
  expected.erase(expected.rfind('/') + 1);
  EXPECT_EQ(Request(ZTL_REQ_HOST_PATH), Bytes(std::string(expected.c_str(), expected.size() + 1)));
}

TEST_F(HostQueryTest, UserFolderIsATextOfAtMost260Bytes) {
  Fake().user_folder.assign(300, 'x');  // the host fills its 260 bytes without a NUL
  const auto reply = Request(ZTL_REQ_USER_FOLDER);
  ASSERT_EQ(reply.size(), 261u);
  EXPECT_EQ(reply.back(), 0);
}

TEST_F(HostQueryTest, VersionNumbers) {
  Fake().version_high = (2u << 16) | 5u;
  Fake().version_low = (1u << 16) | 300u;
  EXPECT_EQ(ToWords(Request(ZTL_REQ_HOST_VERSION)), W{20501});
}

}  // namespace
