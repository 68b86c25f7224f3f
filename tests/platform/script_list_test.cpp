// The script list's rules without a display: descriptions, the incremental
// search and selection, the buttons' file work, the template and the size.
#include <gtest/gtest.h>

#include <deque>
#include <filesystem>
#include <sys/stat.h>

#include "platform/codepage.h"
#include "platform/prompt.h"
#include "platform/script_description.h"
#include "platform/script_list.h"
#include "platform/shell.h"
#include "scratch_space.h"

namespace platform::prompt {
namespace {

using codepage::CodePage;
using test::ScratchFolder;
using test::write_text;

class CodePageScope {
 public:
  explicit CodePageScope(CodePage page) : previous_(codepage::current()) { codepage::set_current(page); }
  ~CodePageScope() { codepage::set_current(previous_); }

 private:
  CodePage previous_;
};

TEST(ScriptDescription, OnlyShebangLinesMayPrecedeTheComment) {
  EXPECT_EQ(script_description_of("#! ruby\n# hello\n"), "hello");
  EXPECT_EQ(script_description_of("#! ruby\r\n#!-w\r\n#!\r\n#   two words  \r\nputs 1\r\n"), "two words");
  EXPECT_EQ(script_description_of("\n# hello\n"), "");
  EXPECT_EQ(script_description_of("puts 1\n# hello\n"), "");
  EXPECT_EQ(script_description_of("#! ruby\n#\n# later\n"), "");
  EXPECT_EQ(script_description_of("#! ruby\n"), "");
  EXPECT_EQ(script_description_of(""), "");
}

TEST(ScriptDescription, TheLastLineCountsWithoutALineBreak) {
  EXPECT_EQ(script_description_of("# alone"), "alone");
  EXPECT_EQ(script_description_of("#! ruby\r\n# last"), "last");
}

TEST(ScriptDescription, FullWidthSpacesOfTheCodePageInForceAreTrimmed) {
  {
    CodePageScope page(CodePage::utf8);
    EXPECT_EQ(script_description_of("\t\u3000 #\u3000\t説明\u3000 \n"), "説明");
    // The other code page's space is text here.
    EXPECT_EQ(script_description_of("#\x81\x40x"), "\x81\x40x");
  }
  CodePageScope page(CodePage::cp932);
  EXPECT_EQ(script_description_of("\x81\x40\t#\x81\x40 \x90\xe0\x96\xbe\x81\x40\n"), "\x90\xe0\x96\xbe");
}

TEST(ScriptDescription, AFileThatCannotBeReadHasNone) {
  ScratchFolder folder;
  EXPECT_EQ(read_script_description(folder / "missing.rb"), "");
  std::filesystem::create_directory(folder / "folder.rb");
  EXPECT_EQ(read_script_description(folder / "folder.rb"), "");
  write_text(folder / "ok.rb", "# fine");
  EXPECT_EQ(read_script_description(folder / "ok.rb"), "fine");
}

// Answers the list's own prompts from queues and records what was asked.
class QueuedFrontEnd final : public FrontEnd {
 public:
  std::deque<Answer> answers;
  std::deque<std::string> files;
  std::vector<std::string> boxes;
  std::vector<std::string> chooser_folders;

  Answer message_box(std::string_view text, std::string_view, Buttons, Icon) override {
    boxes.emplace_back(text);
    if (answers.empty()) throw UnexpectedPrompt(std::string(text));
    const Answer answer = answers.front();
    answers.pop_front();
    return answer;
  }
  bool input_dialog(InputDialog&) override { return false; }
  bool select_item(ItemSelection&) override { return false; }
  bool choose_date(DateDialog&) override { return false; }
  bool choose_file(FileChooser& chooser) override {
    chooser_folders.push_back(chooser.folder());
    if (files.empty()) return false;
    const std::string file = files.front();
    files.pop_front();
    return chooser.choose(file);
  }
};

class ScriptListTest : public ::testing::Test {
 protected:
  void SetUp() override {
    auto owned = std::make_unique<QueuedFrontEnd>();
    front = owned.get();
    set_front_end(std::move(owned));
  }
  void TearDown() override { set_front_end(nullptr); }

  std::vector<std::string> names() const {
    std::vector<std::string> result;
    for (const ScriptEntry& entry : list.entries()) result.push_back(entry.name);
    return result;
  }
  std::string opened() const { return test::file_text(folder / "opened.log"); }

  ScratchFolder folder;
  test::ScopedVariable shell_log{shell::kShellOpenLogVariable, folder / "opened.log"};
  QueuedFrontEnd* front = nullptr;
  ScriptList list{folder.path(), {}};
};

TEST_F(ScriptListTest, ListsRubyFilesSortedByNameWithoutRegardToCase) {
  write_text(folder / "beta.rb", "# second");
  write_text(folder / "Alpha.RB", "#! ruby\n# first");
  write_text(folder / "gamma.rb", "puts 1");
  write_text(folder / "notes.txt", "# not a script");
  write_text(folder / ".hidden.rb", "");
  std::filesystem::create_directory(folder / "dir.rb");
  list.fill();
  ASSERT_EQ(names(), (std::vector<std::string>{".hidden.rb", "Alpha.RB", "beta.rb", "gamma.rb"}));
  EXPECT_EQ(list.entries()[1].description, "first");
  EXPECT_EQ(list.entries()[1].path, folder / "Alpha.RB");
  EXPECT_EQ(list.entries()[3].description, "");
}

TEST_F(ScriptListTest, AnUnreadableScriptKeepsItsPlaceWithoutDescription) {
  write_text(folder / "locked.rb", "# secret");
  write_text(folder / "open.rb", "# open");
  ::chmod((folder / "locked.rb").c_str(), 0);
  list.fill();
  ASSERT_EQ(names(), (std::vector<std::string>{"locked.rb", "open.rb"}));
  if (::geteuid() != 0) {
    EXPECT_EQ(list.entries()[0].description, "");
  }
  EXPECT_EQ(list.entries()[1].description, "open");
}

TEST_F(ScriptListTest, PrefixSearchSelectsOnlyASingleMatchAndCompletesTheName) {
  for (const char* name : {"hello.rb", "help.rb", "other.rb", "help2.rb"}) write_text(folder / name, "");
  list.fill();
  ASSERT_EQ(names(), (std::vector<std::string>{"hello.rb", "help.rb", "help2.rb", "other.rb"}));

  list.type_name("O");
  EXPECT_EQ(list.selected(), 3u);
  EXPECT_EQ(list.name(), "other");
  EXPECT_TRUE(list.entry_buttons_enabled());

  list.type_name("he");
  EXPECT_EQ(list.selected(), std::nullopt);
  EXPECT_EQ(list.focused(), 0u);
  EXPECT_EQ(list.name(), "he");
  EXPECT_FALSE(list.entry_buttons_enabled());

  list.type_name("hel");
  list.type_name("hell");
  EXPECT_EQ(list.selected(), 0u);
  EXPECT_EQ(list.name(), "hello");

  list.type_name("zzz");
  EXPECT_EQ(list.selected(), std::nullopt);
  EXPECT_EQ(list.name(), "zzz");
}

TEST_F(ScriptListTest, AnExactNameSelectsWithOrWithoutExtensionAndKeepsTheField) {
  for (const char* name : {"help.rb", "help2.rb"}) write_text(folder / name, "");
  list.fill();
  list.type_name("HELP");
  EXPECT_EQ(list.selected(), 0u);
  EXPECT_EQ(list.name(), "HELP");
  EXPECT_TRUE(list.entry_buttons_enabled());
  list.type_name("help2.rb");
  EXPECT_EQ(list.selected(), 1u);
  EXPECT_EQ(list.focused(), 1u);
  EXPECT_EQ(list.name(), "help2.rb");
  EXPECT_EQ(list.script(), folder / "help2.rb");
}

TEST_F(ScriptListTest, DownWalksTheListAndWrapsToTheFirst) {
  list.down_key();
  EXPECT_EQ(list.selected(), std::nullopt);
  for (const char* name : {"a.rb", "b.rb"}) write_text(folder / name, "");
  list.fill();
  list.down_key();
  EXPECT_EQ(list.selected(), 0u);
  EXPECT_EQ(list.name(), "a");
  list.down_key();
  EXPECT_EQ(list.selected(), 1u);
  list.down_key();
  EXPECT_EQ(list.selected(), 0u);
  EXPECT_FALSE(list.select(2));
  EXPECT_EQ(list.selected(), 0u);
}

TEST_F(ScriptListTest, RunWithoutSelectionWarnsAndStaysOpen) {
  list.fill();
  front->answers = {Answer::ok};
  EXPECT_FALSE(list.run());
  EXPECT_EQ(front->boxes, (std::vector<std::string>{ScriptList::kNoScriptWarning}));
  write_text(folder / "a.rb", "");
  list.fill();
  list.select(0);
  EXPECT_TRUE(list.run());
}

TEST_F(ScriptListTest, TheClipboardBoxEmptiesTheOutputFile) {
  list.output = "out.txt";
  EXPECT_EQ(list.output_file(), "out.txt");
  list.set_copy_to_clipboard(true);
  EXPECT_FALSE(list.output_enabled());
  EXPECT_EQ(list.output_file(), "");
  EXPECT_EQ(list.output, "out.txt");
}

TEST_F(ScriptListTest, DeleteAsksAndReadsTheFolderAgain) {
  for (const char* name : {"a.rb", "b.rb"}) write_text(folder / name, "");
  list.fill();
  list.select(0);
  front->answers = {Answer::cancel, Answer::ok};
  list.remove();
  EXPECT_TRUE(std::filesystem::exists(folder / "a.rb"));
  list.remove();
  EXPECT_EQ(front->boxes.back(), folder / "a.rb" + ScriptList::kDeleteQuestion);
  EXPECT_FALSE(std::filesystem::exists(folder / "a.rb"));
  EXPECT_EQ(names(), (std::vector<std::string>{"b.rb"}));

  // A script gone meanwhile: nothing asked, nothing done.
  list.select(0);
  std::filesystem::remove(folder / "b.rb");
  list.remove();
  EXPECT_EQ(front->boxes.size(), 2u);
}

TEST_F(ScriptListTest, CreateWritesTheTemplateSelectsAndOpensIt) {
  front->files = {"fresh"};
  list.create();
  const std::string path = folder / "fresh.rb";
  EXPECT_EQ(front->chooser_folders, (std::vector<std::string>{folder.path() + "/"}));
  EXPECT_EQ(test::file_text(path), script_template(codepage::current()));
  EXPECT_EQ(list.script(), path);
  EXPECT_EQ(list.entries()[0].description, "新規Zentrella用Rubyスクリプトファイル");
  EXPECT_EQ(opened(), path + "\n");
  list.edit();
  EXPECT_EQ(opened(), path + "\n" + path + "\n");
}

TEST_F(ScriptListTest, AnExistingFileIsReplacedOnlyAfterTheOverwriteQuestion) {
  write_text(folder / "old.rb", "# mine");
  front->files = {"old.rb", "old.rb"};
  front->answers = {Answer::cancel, Answer::ok};
  list.create();
  EXPECT_EQ(front->boxes, (std::vector<std::string>{ScriptList::kOverwriteQuestion}));
  EXPECT_EQ(test::file_text(folder / "old.rb"), "# mine");
  EXPECT_TRUE(list.entries().empty());  // not read again
  list.create();
  EXPECT_EQ(test::file_text(folder / "old.rb"), script_template(codepage::current()));
}

TEST(ScriptTemplate, IsWrittenInTheCodePage) {
  const std::string utf8 = script_template(CodePage::utf8);
  EXPECT_EQ(
      utf8,
      "#! ruby\r\n# 新規Zentrella用Rubyスクリプトファイル\r\n#\r\n#\r\nrequire \"ztl\"\r\ninclude Ztl\r\n\r\n\r\n");
  const std::string sjis = script_template(CodePage::cp932);
  // 新規 in code page 932, and the rest unchanged.
  EXPECT_NE(sjis.find("# \x90\x56\x8b\x4b"
                      "Zentrella"),
            std::string::npos);
  EXPECT_TRUE(sjis.ends_with("include Ztl\r\n\r\n\r\n"));
  CodePageScope page(CodePage::cp932);
  EXPECT_EQ(codepage::to_utf8(script_description_of(sjis)), "新規Zentrella用Rubyスクリプトファイル");
}

TEST_F(ScriptListTest, BrowsingQuotesOptionsAndTakesTheOutputAsIs) {
  list.options = "-v ";
  front->files = {folder / "in file.txt", folder / "out.txt"};
  list.browse_options();
  list.browse_output();
  EXPECT_EQ(list.options, "-v \"" + folder / "in file.txt" + "\"");
  EXPECT_EQ(list.output, folder / "out.txt");
  list.browse_output();  // cancelled: unchanged
  EXPECT_EQ(list.output, folder / "out.txt");
}

TEST(ScriptListSize, UnusableSizesGiveTheDesignSizeOrTheScreen) {
  const WindowSize design = ScriptList::kDesignSize;
  EXPECT_EQ(ScriptList::fit_size(std::nullopt, std::nullopt, {}), design);
  EXPECT_EQ(ScriptList::fit_size(600, 500, {1024, 768}), (WindowSize{600, 500}));
  EXPECT_EQ(ScriptList::fit_size(10, -3, {1024, 768}), design);
  EXPECT_EQ(ScriptList::fit_size(5000, 4000, {1024, 768}), (WindowSize{1024, 768}));
  EXPECT_EQ(ScriptList::fit_size(5000, 4000, {}), (WindowSize{5000, 4000}));
  EXPECT_EQ(ScriptList::fit_size(5000, 4000, {300, 200}), design);
}

}  // namespace
}  // namespace platform::prompt
