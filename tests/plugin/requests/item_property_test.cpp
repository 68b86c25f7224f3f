// The item property requests against the real host, and the cutting of texts
// to a field on whole characters.
#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include <ztl/payloads.h>
#include <ztl/request_codes.h>

#include "real_host.h"
#include "requests/date_time.h"
#include "requests/text_fit.h"

namespace {

using platform::codepage::CodePage;
using request_test::Text;
using request_test::W;
using request_test::Words;

constexpr double kSecond = 1.0 / 86400;

class ItemPropertyTest : public request_test::RealHostTest {
 protected:
  // A project whose categories are A and B, holding one task with A = x, B = y.
  zentrella::Handle TaskWithCategories() {
    zentrella::ItemTree project;
    project.fields.kind = zentrella::ItemKind::project;
    project.categories = {{"A", ""}, {"B", ""}};
    zentrella::ItemTree task;
    task.categories = {{"A", "x"}, {"B", "y"}};
    project.children = {task};
    return Child(Host().add_project(project, "/tmp/other.json"), 0);
  }
  static std::string Categories(std::initializer_list<std::string_view> parts) {
    std::string list;
    for (std::string_view part : parts) list.append(part).push_back('\0');
    list.push_back('\0');
    return list;
  }
  std::string CategoryValue(zentrella::Handle item, std::size_t index) {
    const zentrella::Handle category = Host().store().item(item)->categories.at(index);
    return Host().store().category(category)->data.value;
  }
  W Ask(std::uint32_t code, zentrella::Handle item, const std::vector<std::uint8_t>& payload = {}) {
    return RequestWords(code, item, payload);
  }
};

TEST_F(ItemPropertyTest, HandleZeroAnswersItsDefaultWithoutAskingTheHost) {
  const scriptlink::HostApi no_host{};
  env.host = &no_host;
  EXPECT_TRUE(Request(ZTL_REQ_ITEM_TITLE_GET, 0).empty());
  EXPECT_EQ(Ask(ZTL_REQ_ITEM_TITLE_SET, 0, Text("t")), W{0});
  EXPECT_EQ(Ask(ZTL_REQ_ITEM_PROGRESS_GET, 0), W{-1});
  EXPECT_EQ(Ask(ZTL_REQ_ITEM_PRIORITY_GET, 0), W{-1});
  EXPECT_EQ(RequestText(ZTL_REQ_ITEM_MESSAGE_ID_GET, 0), std::string(" \0", 2));
  for (std::uint32_t code : {26u, 28u, 30u, 32u, 34u, 35u}) EXPECT_EQ(Ask(code, 0), W{0}) << code;
  for (std::uint32_t code : {21u, 23u, 27u, 29u, 31u, 33u}) EXPECT_TRUE(Request(code, 0, Words({5})).empty()) << code;
  EXPECT_TRUE(Request(ZTL_REQ_ITEM_USER_CATEGORIES_GET, 0).empty());
  EXPECT_EQ(Ask(ZTL_REQ_ITEM_USER_CATEGORIES_SET, 0, Text("")), W{0});
  EXPECT_TRUE(Request(ZTL_REQ_ITEM_ALARM_GET, 0).empty());
  EXPECT_EQ(Ask(ZTL_REQ_ITEM_ALARM_SET, 0, Words({1, 0, 5, 0})), W{0});
}

TEST_F(ItemPropertyTest, TitleProgressAndPriorityGoThroughTheRecordAndRefresh) {
  EXPECT_EQ(RequestText(ZTL_REQ_ITEM_TITLE_GET, A), std::string("A\0", 2));
  EXPECT_EQ(Ask(ZTL_REQ_ITEM_TITLE_SET, A, Text("見積もり")), W{1});
  EXPECT_EQ(Fields(A).title, "見積もり");
  EXPECT_EQ(Remakes(), 1);
  EXPECT_TRUE(Request(ZTL_REQ_ITEM_PROGRESS_SET, A, Words({60})).empty());
  EXPECT_TRUE(Request(ZTL_REQ_ITEM_PRIORITY_SET, A, Words({-3})).empty());
  EXPECT_EQ(Ask(ZTL_REQ_ITEM_PROGRESS_GET, A), W{60});
  EXPECT_EQ(Ask(ZTL_REQ_ITEM_PRIORITY_GET, A), W{-3});
  EXPECT_EQ(Fields(A).title, "見積もり");  // the other fields went back as they were
  EXPECT_EQ(Remakes(), 3);
}

TEST_F(ItemPropertyTest, LongTitlesAreCutOnAWholeCharacter) {
  EXPECT_EQ(Ask(ZTL_REQ_ITEM_TITLE_SET, A, Text(std::string(6000, 't'))), W{1});
  EXPECT_EQ(Fields(A).title, std::string(5120, 't'));
  const std::string utf8 = std::string(5119, 'a') + "あ";  // あ would end at byte 5122
  Ask(ZTL_REQ_ITEM_TITLE_SET, A, Text(utf8));
  EXPECT_EQ(Fields(A).title, std::string(5119, 'a'));

  platform::codepage::set_current(CodePage::cp932);
  const std::string sjis = std::string(5119, 'a') + "\x82\xa0";  // あ in code page 932
  Ask(ZTL_REQ_ITEM_TITLE_SET, A, Text(sjis));
  EXPECT_EQ(Fields(A).title, std::string(5119, 'a'));
  const std::string fits = std::string(5118, 'a') + "\x82\xa0";
  Ask(ZTL_REQ_ITEM_TITLE_SET, A, Text(fits));
  EXPECT_EQ(Fields(A).title, fits);
}

TEST(FitText, FindsCharactersFromTheStartInCodePage932) {
  // 0x81 is a lead byte and, as the second byte of a character, a trail byte:
  // only a walk from the start tells which it is.
  EXPECT_EQ(scriptlink::FitText("a\x81\x81\x81\x81", 4, CodePage::cp932), "a\x81\x81");
  EXPECT_EQ(scriptlink::FitText("\x81\x81\x81\x81", 3, CodePage::cp932), "\x81\x81");
  EXPECT_EQ(scriptlink::FitText("ab\xb1\xb2", 3, CodePage::cp932), "ab\xb1");  // half-width kana are single
  EXPECT_EQ(scriptlink::FitText("aé€", 5, CodePage::utf8), "aé");
  EXPECT_EQ(scriptlink::FitText("aé€", 6, CodePage::utf8), "aé€");
  EXPECT_EQ(scriptlink::FitText("€", 2, CodePage::utf8), "");
}

TEST_F(ItemPropertyTest, MessageIdIsTheHostsUpToItsField) {
  EXPECT_EQ(RequestText(ZTL_REQ_ITEM_MESSAGE_ID_GET, A), std::string(1, '\0'));
  Fields(A).message_id = "<id@example>";
  EXPECT_EQ(RequestText(ZTL_REQ_ITEM_MESSAGE_ID_GET, A), std::string("<id@example>\0", 13));
  Fields(A).message_id.assign(200, 'm');  // the record's 128 bytes hold no NUL then
  EXPECT_EQ(RequestText(ZTL_REQ_ITEM_MESSAGE_ID_GET, A), std::string(128, 'm') + '\0');
}

TEST_F(ItemPropertyTest, EachTimeCodeReadsAndWritesItsOwnField) {
  for (std::uint32_t code : {26u, 28u, 30u, 32u}) EXPECT_EQ(Ask(code, A), W{0}) << code;
  Request(ZTL_REQ_ITEM_START_TIME_SET, A, Words({1}));
  Request(ZTL_REQ_ITEM_PLANNED_START_TIME_SET, A, Words({2}));
  Request(ZTL_REQ_ITEM_END_TIME_SET, A, Words({3}));
  Request(ZTL_REQ_ITEM_DUE_TIME_SET, A, Words({4}));
  EXPECT_DOUBLE_EQ(Fields(A).dates.start, 25569.375 + kSecond);
  EXPECT_DOUBLE_EQ(Fields(A).dates.planned_start, 25569.375 + 2 * kSecond);
  EXPECT_DOUBLE_EQ(Fields(A).dates.end, 25569.375 + 3 * kSecond);
  EXPECT_DOUBLE_EQ(Fields(A).dates.due, 25569.375 + 4 * kSecond);
  EXPECT_EQ(Ask(ZTL_REQ_ITEM_START_TIME_GET, A), W{1});
  EXPECT_EQ(Ask(ZTL_REQ_ITEM_PLANNED_START_TIME_GET, A), W{2});
  EXPECT_EQ(Ask(ZTL_REQ_ITEM_END_TIME_GET, A), W{3});
  EXPECT_EQ(Ask(ZTL_REQ_ITEM_DUE_TIME_GET, A), W{4});
  EXPECT_EQ(Remakes(), 4);
  Request(ZTL_REQ_ITEM_DUE_TIME_SET, A, Words({0}));
  EXPECT_EQ(Fields(A).dates.due, 0.0);  // 0 clears the date
  // The host's own times: set by the changes above, never written from here.
  EXPECT_GT(Ask(ZTL_REQ_ITEM_LAST_MODIFY_TIME_GET, A).at(0), 0);
  Fields(A).dates.create = 25569.375 + 86400 * kSecond;
  EXPECT_EQ(Ask(ZTL_REQ_ITEM_CREATE_TIME_GET, A), W{86400});
}

TEST_F(ItemPropertyTest, TimesOutsideTheChannelsRange) {
  Fields(A).dates.start = 25569.375 - kSecond;  // 1970-01-01 08:59:59 of the host's scale
  Fields(A).dates.end = 21916.0;                // 1960-01-01
  Fields(A).dates.due = 80000.0;                // past 2038
  EXPECT_EQ(Ask(ZTL_REQ_ITEM_START_TIME_GET, A), W{0});
  EXPECT_EQ(Ask(ZTL_REQ_ITEM_END_TIME_GET, A), W{0});
  EXPECT_EQ(Ask(ZTL_REQ_ITEM_DUE_TIME_GET, A), W{INT_MAX});
  EXPECT_EQ(Fields(A).dates.end, 21916.0);  // reading changes nothing
  Request(ZTL_REQ_ITEM_START_TIME_SET, A, Words({-86400}));  // a script's Time before 1970 reaches the host
  EXPECT_DOUBLE_EQ(Fields(A).dates.start, 25568.375);
  EXPECT_EQ(scriptlink::DateTimeToSeconds(scriptlink::SecondsToDateTime(INT_MAX)), INT_MAX);
}

TEST_F(ItemPropertyTest, CategoriesAreReadInOrderAndMatchedByPosition) {
  EXPECT_EQ(RequestText(ZTL_REQ_ITEM_USER_CATEGORIES_GET, A), std::string(1, '\0'));  // none: the final NUL
  const zentrella::Handle task = TaskWithCategories();
  EXPECT_EQ(RequestText(ZTL_REQ_ITEM_USER_CATEGORIES_GET, task), Categories({"A", "x", "B", "y"}));

  const std::string swapped = Categories({"B", "z", "A", "w"});
  EXPECT_EQ(Ask(ZTL_REQ_ITEM_USER_CATEGORIES_SET, task, Text(swapped.substr(0, swapped.size() - 1))), W{1});
  EXPECT_EQ(CategoryValue(task, 0), "x");  // B was compared with A, and A with B
  EXPECT_EQ(CategoryValue(task, 1), "y");

  const std::string both = Categories({"A", "w", "B", "z", "C", "surplus"});
  Ask(ZTL_REQ_ITEM_USER_CATEGORIES_SET, task, Text(both.substr(0, both.size() - 1)));
  EXPECT_EQ(RequestText(ZTL_REQ_ITEM_USER_CATEGORIES_GET, task), Categories({"A", "w", "B", "z"}));
  EXPECT_EQ(Remakes(), 0);  // category values do not refresh the task list

  const std::string first_only = Categories({"A", "v"});
  Ask(ZTL_REQ_ITEM_USER_CATEGORIES_SET, task, Text(first_only.substr(0, first_only.size() - 1)));
  EXPECT_EQ(RequestText(ZTL_REQ_ITEM_USER_CATEGORIES_GET, task), Categories({"A", "v", "B", "z"}));
}

TEST_F(ItemPropertyTest, CategoryValuesAreCutOnAWholeCharacter) {
  const zentrella::Handle task = TaskWithCategories();
  const std::string utf8 = Categories({"A", std::string(254, 'v') + "é"});  // é would end at byte 256
  Ask(ZTL_REQ_ITEM_USER_CATEGORIES_SET, task, Text(utf8.substr(0, utf8.size() - 1)));
  EXPECT_EQ(CategoryValue(task, 0), std::string(254, 'v'));

  platform::codepage::set_current(CodePage::cp932);
  const std::string sjis = Categories({"A", std::string(253, 'v') + "\x81\x81\x81\x81"});
  Ask(ZTL_REQ_ITEM_USER_CATEGORIES_SET, task, Text(sjis.substr(0, sjis.size() - 1)));
  EXPECT_EQ(CategoryValue(task, 0), std::string(253, 'v') + "\x81\x81");
}

TEST_F(ItemPropertyTest, AlarmRoundTripAndItsUnitByte) {
  EXPECT_EQ(Ask(ZTL_REQ_ITEM_ALARM_GET, A), (W{0, 0, 0, 0}));
  EXPECT_EQ(Ask(ZTL_REQ_ITEM_ALARM_SET, A, Words({1, 1, 30, ZTL_AU_DAY})), W{1});
  EXPECT_EQ(Ask(ZTL_REQ_ITEM_ALARM_GET, A), (W{ZTL_TRUE, ZTL_TRUE, 30, ZTL_AU_DAY}));
  // 257 does not fit the host's unit byte: refused, not taken as 1 (hours).
  EXPECT_EQ(Ask(ZTL_REQ_ITEM_ALARM_SET, A, Words({1, 0, 5, 257})), W{0});
  EXPECT_EQ(Ask(ZTL_REQ_ITEM_ALARM_SET, A, Words({1, 0, 5, -1})), W{0});
  EXPECT_EQ(Ask(ZTL_REQ_ITEM_ALARM_SET, A, Words({1, 0, 5, 3})), W{0});  // the host knows no unit 3
  EXPECT_EQ(Ask(ZTL_REQ_ITEM_ALARM_GET, A), (W{ZTL_TRUE, ZTL_TRUE, 30, ZTL_AU_DAY}));
  EXPECT_EQ(Ask(ZTL_REQ_ITEM_ALARM_SET, A, Words({0, 0, 0, 0})), W{1});  // cleared
  EXPECT_EQ(Ask(ZTL_REQ_ITEM_ALARM_GET, A), (W{0, 0, 0, 0}));
  EXPECT_EQ(Remakes(), 0);
}

TEST_F(ItemPropertyTest, DeletedItemAnswersLikeNoItemAndChangesNothing) {
  const zentrella::Handle gone = A;
  DeleteForGood(gone);
  EXPECT_TRUE(Request(ZTL_REQ_ITEM_TITLE_GET, gone).empty());
  EXPECT_EQ(Ask(ZTL_REQ_ITEM_TITLE_SET, gone, Text("x")), W{0});
  EXPECT_EQ(Ask(ZTL_REQ_ITEM_PROGRESS_GET, gone), W{-1});
  EXPECT_TRUE(Request(ZTL_REQ_ITEM_PROGRESS_SET, gone, Words({5})).empty());
  EXPECT_EQ(RequestText(ZTL_REQ_ITEM_MESSAGE_ID_GET, gone), std::string(" \0", 2));
  EXPECT_EQ(Ask(ZTL_REQ_ITEM_DUE_TIME_GET, gone), W{0});
  EXPECT_TRUE(Request(ZTL_REQ_ITEM_DUE_TIME_SET, gone, Words({5})).empty());
  EXPECT_TRUE(Request(ZTL_REQ_ITEM_USER_CATEGORIES_GET, gone).empty());
  EXPECT_EQ(Ask(ZTL_REQ_ITEM_USER_CATEGORIES_SET, gone, Text("A")), W{0});
  EXPECT_EQ(Ask(ZTL_REQ_ITEM_ALARM_GET, gone), (W{0, 0, 0, 0}));  // no record: no alarm
  EXPECT_EQ(Ask(ZTL_REQ_ITEM_ALARM_SET, gone, Words({1, 0, 5, 0})), W{0});
  EXPECT_EQ(Remakes(), 0);
}

}  // namespace
