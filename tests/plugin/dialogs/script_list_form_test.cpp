// TScriptListForm: the settings file that keeps its size, and the values a run
// takes from it in the host's code page.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <platform/codepage.h>
#include <platform/prompt.h>

#include "dialogs/script_list_form.h"

namespace scriptlink {
namespace {

namespace prompt = platform::prompt;

// Leaves the dialog as a user would: resized, fields filled, closed.
class ResizingFrontEnd final : public prompt::FrontEnd {
 public:
  prompt::WindowSize resize_to;
  std::vector<prompt::WindowSize> shown_sizes;

  prompt::Answer message_box(std::string_view, std::string_view, prompt::Buttons, prompt::Icon) override {
    return prompt::Answer::cancel;
  }
  bool input_dialog(prompt::InputDialog&) override { return false; }
  bool select_item(prompt::ItemSelection&) override { return false; }
  bool choose_date(prompt::DateDialog&) override { return false; }
  bool choose_file(prompt::FileChooser&) override { return false; }
  bool script_list(prompt::ScriptList& dialog) override {
    shown_sizes.push_back(dialog.size);
    dialog.size = resize_to;
    dialog.options = "説明 \"a b\"";
    dialog.output = "出力.txt";
    return dialog.select(0);
  }
};

class ScriptListFormTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/ztl-form-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    folder_ = pattern;
    std::ofstream(folder_ / "a.rb") << "# a";
    auto owned = std::make_unique<ResizingFrontEnd>();
    front = owned.get();
    prompt::set_front_end(std::move(owned));
  }
  void TearDown() override {
    prompt::set_front_end(nullptr);
    platform::codepage::set_current(platform::codepage::CodePage::utf8);
    std::filesystem::remove_all(folder_);
  }

  std::string settings() const { return (folder_ / "Scriptlink.ini").string(); }
  std::string settings_text() const {
    std::ostringstream text;
    text << std::ifstream(settings()).rdbuf();
    return text.str();
  }
  void write_settings(const std::string& text) const { std::ofstream(settings()) << text; }
  std::unique_ptr<TScriptListForm> open() const {
    return std::make_unique<TScriptListForm>(folder_.string(), settings(), platform::prompt::ScriptList::Actions{});
  }

  std::filesystem::path folder_;
  ResizingFrontEnd* front = nullptr;
};

TEST(SettingsFilePath, ReplacesThePluginsExtension) {
  EXPECT_EQ(SettingsFilePath("/opt/z/Scriptlink.so"), "/opt/z/Scriptlink.ini");
  EXPECT_EQ(SettingsFilePath("/opt/z.d/Scriptlink"), "/opt/z.d/Scriptlink.ini");
}

TEST_F(ScriptListFormTest, TheSizeIsKeptAcrossTwoOpeningsBesideOtherSettings) {
  write_settings("[Other]\nKey=1\n");
  front->resize_to = {640, 480};
  open()->Run();
  EXPECT_EQ(settings_text(), "[Other]\nKey=1\n[ScriptForm]\nWidth=640\nHeight=480\n");
  front->resize_to = {700, 500};
  open()->Run();
  ASSERT_EQ(front->shown_sizes.size(), 2u);
  EXPECT_EQ(front->shown_sizes[0], prompt::ScriptList::kDesignSize);
  EXPECT_EQ(front->shown_sizes[1], (prompt::WindowSize{640, 480}));
}

TEST_F(ScriptListFormTest, UnusableSettingsGiveTheDesignSize) {
  for (const char* text : {"[ScriptForm]\nWidth=abc\nHeight=99999999999999\n", "[ScriptForm]\nWidth=100\nHeight=-5\n",
                           "\x01\x02[ScriptForm\nWidth\n", "[ScriptForm]\nWidth=500x\nHeight= \n"}) {
    write_settings(text);
    EXPECT_EQ(open()->dialog().size, prompt::ScriptList::kDesignSize) << text;
  }
}

TEST_F(ScriptListFormTest, ASettingsPathThatCannotBeWrittenNeverBreaksTheForm) {
  std::filesystem::create_directory(settings());
  std::unique_ptr<TScriptListForm> form;
  ASSERT_NO_THROW(form = open());
  EXPECT_EQ(form->dialog().size, prompt::ScriptList::kDesignSize);
  EXPECT_NO_THROW(form.reset());
  EXPECT_TRUE(std::filesystem::is_directory(settings()));
}

TEST_F(ScriptListFormTest, ARunTakesItsValuesInTheHostsCodePage) {
  platform::codepage::set_current(platform::codepage::CodePage::cp932);
  const std::unique_ptr<TScriptListForm> form = open();
  ASSERT_TRUE(form->Run());
  EXPECT_EQ(form->Script(), (folder_ / "a.rb").string());
  EXPECT_EQ(form->Options(), "\x90\xe0\x96\xbe \"a b\"");
  EXPECT_EQ(form->OutputFile(), "\x8f\x6f\x97\xcd.txt");
  form->dialog().set_copy_to_clipboard(true);
  EXPECT_EQ(form->OutputFile(), "");
  EXPECT_TRUE(form->CopyToClipboard());
}

}  // namespace
}  // namespace scriptlink
