// The host query requests against a fake host.
#include <gtest/gtest.h>

#include <string>

#include <platform/process.h>
#include <ztl/request_codes.h>

#include "channel_test_support.h"
#include "fake_host_api.h"
#include "handlers/host_query_handlers.h"
#include "handlers/refresh.h"

using namespace scriptlink;
using channel_test::Bytes;
using channel_test::Fake;
using channel_test::ToWords;
using channel_test::Words;
using W = std::vector<std::int32_t>;

namespace {

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
  W Selector(std::int32_t selector) { return ToWords(Request(ZTL_REQ_SPECIAL_ITEM, Words({selector}))); }

  channel_test::ScriptedChannel link;
  HandlerEnv env = channel_test::FakeEnv({(2u << 16) | 7u, (30u << 16) | 9u});
};

TEST_F(HostQueryTest, SingleItemSelectors) {
  auto& fake = Fake();
  fake.current_item = 10, fake.current_project = 11, fake.current_folder = 12, fake.recycled = 13;
  fake.find_project = 14, fake.template_project = 15, fake.scrap_project = 16, fake.current_document = 18;
  fake.selected = {17, 99};
  const std::int32_t expected[] = {10, 11, 12, 13, 14, 15, 16, 17, 18};
  for (std::int32_t selector = 0; selector <= 8; ++selector) EXPECT_EQ(Selector(selector), W{expected[selector]});
  EXPECT_EQ(Fake().lists_handed_out, 1);  // selector 7's list, given back at once
}

TEST_F(HostQueryTest, ListSelectorsSendEntriesAndTerminator) {
  Fake().selected = {5, 6};
  Fake().list_view = {7, 8, 9};
  Fake().loaded = {1};
  EXPECT_EQ(Selector(9), (W{5, 6, 0}));
  EXPECT_EQ(Selector(10), (W{7, 8, 9, 0}));
  EXPECT_EQ(Selector(11), (W{1, 0}));
  EXPECT_EQ(Fake().lists_handed_out, 3);
}

TEST_F(HostQueryTest, LongListTravelsInChunks) {
  Fake().list_view.assign(5000, 3);
  const W reply = Selector(10);
  ASSERT_EQ(reply.size(), 5001u);
  EXPECT_EQ(reply.back(), 0);
  EXPECT_EQ(link.transport.published().size(), 3u);
}

TEST_F(HostQueryTest, NothingSelectedAndUnknownSelectors) {
  EXPECT_EQ(Selector(7), W{0});
  EXPECT_EQ(Selector(9), W{0});  // only the terminator
  Fake().has_selected = false;
  EXPECT_EQ(Selector(7), W{0});
  EXPECT_EQ(Selector(9), W{0});
  Fake().current_item = 42;  // must not leak out of an unknown selector
  for (std::int32_t selector : {12, -1, -12, INT32_MIN}) EXPECT_EQ(Selector(selector), W{0}) << selector;
  EXPECT_EQ(ToWords(Request(ZTL_REQ_SPECIAL_ITEM)), W{42});  // a missing selector reads 0
  EXPECT_EQ(ToWords(Request(ZTL_REQ_SPECIAL_ITEM, {9, 0})), W{42});  // so does half a word
}

TEST_F(HostQueryTest, NestedUpdateBracketsRemakeOnceAtTheEnd) {
  const auto begin = Words({1});
  const auto end = Words({0});
  EXPECT_TRUE(Request(ZTL_REQ_UPDATE_BRACKET, begin).empty());
  Request(ZTL_REQ_UPDATE_BRACKET, begin);
  EXPECT_EQ(Fake().lock_calls, (std::vector<ZtlWindow>{channel_test::kClientWindow, channel_test::kClientWindow}));
  RefreshTaskList(*env.host, link.state);  // an item change inside the bracket
  Request(ZTL_REQ_UPDATE_BRACKET, end);
  EXPECT_EQ(link.state.update_nesting_count, 1);
  EXPECT_EQ(Fake().remakes, 0);
  EXPECT_EQ(Fake().lock_calls.size(), 2u);  // still locked
  Request(ZTL_REQ_UPDATE_BRACKET, end);
  EXPECT_EQ(Fake().remakes, 1);
  EXPECT_FALSE(link.state.task_list_remake_pending);
  EXPECT_EQ(Fake().lock_calls.back(), ZtlWindow{0});
  RefreshTaskList(*env.host, link.state);  // outside a bracket: at once
  EXPECT_EQ(Fake().remakes, 2);
}

TEST_F(HostQueryTest, EndWithoutBeginUnlocksAndRemakesWhatIsPending) {
  Request(ZTL_REQ_UPDATE_BRACKET, Words({0}));
  EXPECT_EQ(link.state.update_nesting_count, 0);
  EXPECT_EQ(Fake().lock_calls, std::vector<ZtlWindow>{0});
  EXPECT_EQ(Fake().remakes, 0);
  link.state.task_list_remake_pending = true;
  Request(ZTL_REQ_UPDATE_BRACKET);  // no flag at all reads as end
  EXPECT_EQ(Fake().remakes, 1);
}

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
  Fake().user_folder = "/home/u/Zentrella/";
  EXPECT_EQ(Request(ZTL_REQ_USER_FOLDER), Bytes(std::string("/home/u/Zentrella/\0", 19)));
  Fake().user_folder.assign(300, 'x');  // the host fills its 260 bytes without a NUL
  const auto reply = Request(ZTL_REQ_USER_FOLDER);
  ASSERT_EQ(reply.size(), 261u);
  EXPECT_EQ(reply.back(), 0);
}

TEST_F(HostQueryTest, VersionNumbers) {
  Fake().version_high = (2u << 16) | 5u;
  Fake().version_low = (1u << 16) | 300u;
  EXPECT_EQ(ToWords(Request(ZTL_REQ_HOST_VERSION)), W{20501});
  EXPECT_EQ(ToWords(Request(ZTL_REQ_PLUGIN_VERSION)), W{20730});
  EXPECT_EQ(VersionNumber((1u << 16) | 23u, 4u << 16), 12304);
  EXPECT_EQ(VersionNumber((1u << 16) | 123u, 0), 22300);  // a component above 99 runs into the next
}

TEST_F(HostQueryTest, FocusPanes) {
  EXPECT_EQ(ToWords(Request(ZTL_REQ_SET_FOCUS_PANE, Words({0x1203}))), W{1});
  EXPECT_EQ(Fake().set_active_control_calls, std::vector<std::int32_t>{3});
  Fake().active_control = 0xF3;
  EXPECT_EQ(ToWords(Request(ZTL_REQ_FOCUS_PANE)), W{0x73});
}

}  // namespace
