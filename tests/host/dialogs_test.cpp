// The host's item selection and date dialogs behind the exported API, answered
// by a front end that records what it was shown.
#include <platform/prompt.h>

#include "host_fixture.h"
#include "model/date_scale.h"
#include "model/host_dialogs.h"

namespace zentrella::testing {
namespace {

namespace prompt = platform::prompt;

// Confirms with what the test put in `choose` (an item's path, a date), or
// cancels when it is empty; keeps the last tree and date it was shown.
class RecordingFrontEnd final : public prompt::FrontEnd {
 public:
  std::optional<std::string> choose;
  std::vector<std::string> shown_paths;
  std::optional<prompt::CalendarTime> shown_date;
  std::string caption;

  prompt::Answer message_box(std::string_view, std::string_view, prompt::Buttons, prompt::Icon) override {
    return prompt::Answer::cancel;
  }
  bool input_dialog(prompt::InputDialog&) override { return false; }
  bool choose_file(prompt::FileChooser&) override { return false; }
  bool select_item(prompt::ItemSelection& dialog) override {
    caption = dialog.caption();
    shown_paths.clear();
    collect(dialog, dialog.roots(), "");
    if (!choose) return false;
    const prompt::ItemNode* node = dialog.find_path(*choose);
    return node != nullptr && dialog.select(node->handle);
  }
  bool choose_date(prompt::DateDialog& dialog) override {
    caption = dialog.caption();
    shown_date = dialog.value();
    if (!choose) return false;
    if (choose->empty()) {
      dialog.clear();
      return true;
    }
    return dialog.set(*prompt::parse_calendar_time(*choose));
  }

 private:
  void collect(const prompt::ItemSelection& dialog, const std::vector<prompt::ItemNode>& nodes,
               const std::string& prefix) {
    for (const prompt::ItemNode& node : nodes) {
      shown_paths.push_back(prefix + node.title + (node.choosable ? "" : " (not choosable)"));
      collect(dialog, node.children, prefix + node.title + "/");
    }
  }
};

class HostDialogsTest : public HostTest {
 protected:
  void SetUp() override {
    HostTest::SetUp();
    auto owned = std::make_unique<RecordingFrontEnd>();
    front = owned.get();
    prompt::set_front_end(std::move(owned));
  }
  void TearDown() override {
    prompt::set_front_end(nullptr);
    HostTest::TearDown();
  }

  RecordingFrontEnd* front = nullptr;
};

TEST_F(HostDialogsTest, AllFlagsOnOfferEveryProjectAndItem) {
  front->choose = "P/F/B";
  EXPECT_EQ(ZTLPlugin_SelectItemFormShow("選ぶ", 0, 1, 1, 1), B);
  EXPECT_EQ(front->caption, "選ぶ");
  EXPECT_EQ(front->shown_paths, (std::vector<std::string>{"P", "P/F", "P/F/A", "P/F/B", "P/F/C", "P/D", "ごみ箱",
                                                          "検索結果", "テンプレート", "スクラップ"}));
}

TEST_F(HostDialogsTest, EachFlagTakesAwayWhatItOffers) {
  ZTLPlugin_SelectItemFormShow("", 0, 0, 1, 1);
  EXPECT_EQ(front->shown_paths.back(), "P/D") << "first flag off: no special projects";
  ZTLPlugin_SelectItemFormShow("", 0, 1, 0, 1);
  EXPECT_EQ(front->shown_paths.front(), "P (not choosable)") << "second flag off: a project is not chosen";
  front->choose = "P";
  EXPECT_EQ(ZTLPlugin_SelectItemFormShow("", 0, 1, 0, 1), 0u);
  front->choose = "P/F";
  EXPECT_EQ(ZTLPlugin_SelectItemFormShow("", 0, 0, 1, 0), F);
  EXPECT_EQ(front->shown_paths, (std::vector<std::string>{"P", "P/F"})) << "third flag off: no tasks";
}

TEST_F(HostDialogsTest, TheStartItemIsSelectedAndAStaleOneIsNot) {
  struct Start : prompt::FrontEnd {
    std::uint32_t selected = 1;
    prompt::Answer message_box(std::string_view, std::string_view, prompt::Buttons, prompt::Icon) override {
      return prompt::Answer::cancel;
    }
    bool input_dialog(prompt::InputDialog&) override { return false; }
    bool choose_file(prompt::FileChooser&) override { return false; }
    bool select_item(prompt::ItemSelection& dialog) override {
      selected = dialog.selected();
      return true;  // OK on the selection as it opened
    }
    bool choose_date(prompt::DateDialog&) override { return false; }
  };
  auto owned = std::make_unique<Start>();
  Start* start = owned.get();
  prompt::set_front_end(std::move(owned));
  EXPECT_EQ(ZTLPlugin_SelectItemFormShow("", C, 1, 1, 1), C);
  EXPECT_EQ(start->selected, C);
  EXPECT_EQ(ZTLPlugin_SelectItemFormShow("", 987654, 1, 1, 1), 0u) << "OK with nothing selected chooses nothing";
  EXPECT_EQ(start->selected, 0u);
}

TEST_F(HostDialogsTest, TheDateDialogShowsTheInitialDateAndWritesTheChosenOne) {
  double value = *parse_date_time("2024-05-01 10:30");
  front->choose = "2025-01-02 03:04:05";
  EXPECT_NE(ZTLPlugin_DateDialogExecute("日付", &value), 0);
  EXPECT_EQ(front->shown_date, (prompt::CalendarTime{2024, 5, 1, 10, 30, 0}));
  EXPECT_EQ(format_date_time(value), "2025-01-02T03:04:05");

  value = 0.0;
  front->choose = "1899-12-29 06:00";  // before the scale's zero the fraction still counts forward
  EXPECT_NE(ZTLPlugin_DateDialogExecute("", &value), 0);
  EXPECT_FALSE(front->shown_date) << "0.0 is no date";
  EXPECT_EQ(format_date_time(value), "1899-12-29T06:00:00");

  front->choose = "";
  EXPECT_NE(ZTLPlugin_DateDialogExecute("", &value), 0);
  EXPECT_EQ(value, 0.0) << "confirmed without a date";

  value = 45000.5;
  front->choose.reset();
  EXPECT_EQ(ZTLPlugin_DateDialogExecute("", &value), 0);
  EXPECT_EQ(value, 45000.5) << "a cancel leaves the value";
}

// A front end with a wait window whose cancel button the test presses.
struct PressedCancel : platform::prompt::WaitWindow {
  std::vector<std::string>* labels;
  bool* pressed;
  PressedCancel(std::vector<std::string>* l, bool* p) : labels(l), pressed(p) {}
  void set_label(std::string_view label) override { labels->emplace_back(label); }
  bool pump() override { return std::exchange(*pressed, false); }
};

TEST_F(HostDialogsTest, TheWaitFormsCancelButtonCallsTheCancelCallback) {
  static int cancels = 0;
  cancels = 0;
  std::vector<std::string> labels;
  bool pressed = false;
  struct Front : prompt::FrontEnd {
    std::vector<std::string>* labels;
    bool* pressed;
    Front(std::vector<std::string>* l, bool* p) : labels(l), pressed(p) {}
    prompt::Answer message_box(std::string_view, std::string_view, prompt::Buttons, prompt::Icon) override {
      return prompt::Answer::cancel;
    }
    bool input_dialog(prompt::InputDialog&) override { return false; }
    bool select_item(prompt::ItemSelection&) override { return false; }
    bool choose_file(prompt::FileChooser&) override { return false; }
    bool choose_date(prompt::DateDialog&) override { return false; }
    std::unique_ptr<prompt::WaitWindow> show_wait_form(std::string_view caption, std::string_view label) override {
      labels->emplace_back(std::string(caption) + ":" + std::string(label));
      return std::make_unique<PressedCancel>(labels, pressed);
    }
  };
  prompt::set_front_end(std::make_unique<Front>(&labels, &pressed));
  ZTLPlugin_ShowWaitForm([]() -> int { return ++cancels; }, "スクリプト実行中", "a.rb", "", "", 0);
  ZTLPlugin_SetWaitFormLabel("b.rb");
  ZTLPlugin_ExecMessageProc();
  EXPECT_EQ(cancels, 0);
  pressed = true;
  ZTLPlugin_ExecMessageProc();
  EXPECT_EQ(cancels, 1);
  ZTLPlugin_ExecMessageProc();
  EXPECT_EQ(cancels, 1);
  ZTLPlugin_CloseWaitForm();
  EXPECT_EQ(labels, (std::vector<std::string>{"スクリプト実行中:a.rb", "b.rb"}));
}

}  // namespace
}  // namespace zentrella::testing
