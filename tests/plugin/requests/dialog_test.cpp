// The dialog requests against the real host, with a front end that records
// what each dialog was shown and answers as the test says.
#include <gtest/gtest.h>

#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include <platform/prompt.h>
#include <ztl/request_codes.h>

#include "real_host.h"

namespace {

namespace prompt = platform::prompt;
using request_test::Text;
using request_test::W;

// Each dialog takes the next answer: nullopt cancels, "" confirms as shown,
// anything else is typed (input), an item's path, or a date.
class AnsweringFrontEnd final : public prompt::FrontEnd {
 public:
  std::deque<std::optional<std::string>> answers;
  std::vector<std::string> captions;
  std::vector<std::string> shown;

  prompt::Answer message_box(std::string_view, std::string_view, prompt::Buttons, prompt::Icon) override {
    return prompt::Answer::cancel;
  }
  bool input_dialog(prompt::InputDialog& dialog) override {
    captions.push_back(dialog.caption);
    std::string choices;
    for (const std::string& choice : dialog.choices()) choices += "|" + choice;
    shown.push_back(dialog.prompt + ":" + dialog.text() + choices);
    const auto answer = next();
    if (answer && !answer->empty()) dialog.type(*answer == "<empty>" ? "" : *answer);
    return answer.has_value();
  }
  bool select_item(prompt::ItemSelection& dialog) override {
    captions.push_back(dialog.caption());
    shown.push_back(std::to_string(dialog.roots().size()) + " roots, start " + dialog.path_of(dialog.selected()));
    const auto answer = next();
    if (answer && !answer->empty()) dialog.select(dialog.find_path(*answer)->handle);
    return answer.has_value();
  }
  bool choose_file(prompt::FileChooser&) override { return false; }
  bool choose_date(prompt::DateDialog& dialog) override {
    captions.push_back(dialog.caption());
    shown.push_back(dialog.value() ? prompt::format_calendar_time(*dialog.value()) : "none");
    const auto answer = next();
    if (answer && !answer->empty()) dialog.set(*prompt::parse_calendar_time(*answer));
    return answer.has_value();
  }

 private:
  std::optional<std::string> next() {
    if (answers.empty()) ADD_FAILURE() << "a dialog the test did not expect";
    if (answers.empty()) return std::nullopt;
    auto answer = answers.front();
    answers.pop_front();
    return answer;
  }
};

class DialogRequestTest : public request_test::RealHostTest {
 protected:
  void SetUp() override {
    RealHostTest::SetUp();
    auto owned = std::make_unique<AnsweringFrontEnd>();
    front = owned.get();
    prompt::set_front_end(std::move(owned));
  }
  void TearDown() override {
    EXPECT_TRUE(front->answers.empty()) << "answers left over";
    prompt::set_front_end(nullptr);
    RealHostTest::TearDown();
  }
  void Answer(std::initializer_list<std::optional<std::string>> answers) { front->answers = answers; }

  static std::vector<std::uint8_t> ItemSelect(std::initializer_list<std::int32_t> words, std::string_view caption) {
    std::vector<std::uint8_t> payload = request_test::Words(words);
    for (std::uint8_t byte : Text(caption)) payload.push_back(byte);
    for (int i = 0; i < 3; ++i) payload.push_back(0xEE);  // the unset bytes the script may send
    return payload;
  }
  static std::vector<std::uint8_t> DatePayload(std::int32_t seconds, std::string_view caption) {
    return ItemSelect({seconds}, caption);
  }
  static std::vector<std::uint8_t> Texts(std::initializer_list<std::string_view> texts) {
    std::vector<std::uint8_t> payload;
    for (std::string_view text : texts)
      for (std::uint8_t byte : Text(text)) payload.push_back(byte);
    return payload;
  }

  AnsweringFrontEnd* front = nullptr;
};

TEST_F(DialogRequestTest, ItemSelectionPassesTheFlagsAndStartAndRelaysTheChoice) {
  Answer({"", "P/F/A", std::nullopt});
  EXPECT_EQ(RequestWords(ZTL_REQ_DISP_ITEM_SELECT, 0, ItemSelect({1, 1, 1, static_cast<std::int32_t>(B)}, "選ぶ")),
            W{static_cast<std::int32_t>(B)});
  EXPECT_EQ(RequestWords(ZTL_REQ_DISP_ITEM_SELECT, 0, ItemSelect({0, 1, 1, 0}, "")),
            W{static_cast<std::int32_t>(A)});
  EXPECT_EQ(RequestWords(ZTL_REQ_DISP_ITEM_SELECT, 0, ItemSelect({1, 1, 1, 0}, "")), W{0});
  EXPECT_EQ(front->captions, (std::vector<std::string>{"選ぶ", "Script Link", "Script Link"}));
  EXPECT_EQ(front->shown, (std::vector<std::string>{"5 roots, start P/F/B", "1 roots, start ", "5 roots, start "}));
}

TEST_F(DialogRequestTest, AShortPayloadReadsMissingWordsAsZeroAndTheCaptionAsEmpty) {
  Answer({std::nullopt, std::nullopt, std::nullopt});
  EXPECT_EQ(RequestWords(ZTL_REQ_DISP_ITEM_SELECT, 0, {0, 0, 0, 0, 1}), W{0});
  EXPECT_EQ(RequestWords(ZTL_REQ_DISP_DATE_DIALOG, 0, {5, 0}), W{-1});
  EXPECT_TRUE(Request(ZTL_REQ_DISP_INPUT_DIALOG, 0, {'a', 'b'}).empty());
  EXPECT_EQ(front->captions, (std::vector<std::string>{"Script Link", "Script Link", "ab"}));
  EXPECT_EQ(front->shown, (std::vector<std::string>{"1 roots, start ", "none", ":"}));
}

TEST_F(DialogRequestTest, DatesTravelAsChannelSecondsAndOnlyThoseTheWordCarries) {
  Answer({"", "2038-01-19 12:14:07", "2038-01-19 12:14:08", "1970-01-01 08:59:59", std::nullopt, "1970-01-01 09:00:01"});
  const W may_first = RequestWords(ZTL_REQ_DISP_DATE_DIALOG, 0, DatePayload(1714554600 - 9 * 3600, "日付"));
  EXPECT_EQ(may_first, W{1714554600 - 9 * 3600});
  EXPECT_EQ(RequestWords(ZTL_REQ_DISP_DATE_DIALOG, 0, DatePayload(0, "")), W{INT32_MAX});
  EXPECT_EQ(RequestWords(ZTL_REQ_DISP_DATE_DIALOG, 0, DatePayload(0, "")), W{0}) << "past the word: refused, not clamped";
  EXPECT_EQ(RequestWords(ZTL_REQ_DISP_DATE_DIALOG, 0, DatePayload(-5, "")), W{0}) << "before the epoch";
  EXPECT_EQ(RequestWords(ZTL_REQ_DISP_DATE_DIALOG, 0, DatePayload(1, "")), W{-1}) << "cancelled";
  EXPECT_EQ(RequestWords(ZTL_REQ_DISP_DATE_DIALOG, 0, DatePayload(0, "")), W{1});
  EXPECT_EQ(front->shown, (std::vector<std::string>{"2024-05-01 09:10:00", "none", "none", "none",
                                                    "1970-01-01 09:00:01", "none"}));
  EXPECT_EQ(front->captions.front(), "日付");
}

TEST_F(DialogRequestTest, InputDialogRepliesTheTextOnOkAndNothingOnCancel) {
  Answer({"", "<empty>", std::nullopt, "typed"});
  EXPECT_EQ(RequestText(ZTL_REQ_DISP_INPUT_DIALOG, 0, Texts({"題", "名前", "beta", "alpha\r\nbeta"})),
            std::string("beta\0", 5));
  EXPECT_EQ(RequestText(ZTL_REQ_DISP_INPUT_DIALOG, 0, Texts({"", "", "x", ""})), std::string("\0", 1));
  EXPECT_TRUE(Request(ZTL_REQ_DISP_INPUT_DIALOG, 0, Texts({"", "", "", ""})).empty());
  EXPECT_EQ(RequestText(ZTL_REQ_DISP_INPUT_DIALOG, 0, Texts({"", "", "", "a\nb"})), std::string("typed\0", 6));
  EXPECT_EQ(front->captions, (std::vector<std::string>{"題", "Script Link", "Script Link", "Script Link"}));
  EXPECT_EQ(front->shown, (std::vector<std::string>{"名前:beta|alpha|beta", ":x", ":", ":|a|b"}));
}

}  // namespace
