#include "platform/command_dialogs.h"

#include <gtest/gtest.h>

#include "platform/codepage.h"
#include "platform/prompt.h"
#include "scratch_space.h"

namespace platform::prompt {
namespace {

const std::string kFolder = "/home/u/Script/";

CommandEntry Command(std::uint32_t number, std::string caption = "c", std::string script = "a.rb") {
  CommandEntry entry;
  entry.number = number;
  entry.caption = std::move(caption);
  entry.script = std::move(script);
  entry.icon = 12;
  return entry;
}

std::vector<std::uint32_t> NumbersShown(const CommandList& list) {
  std::vector<std::uint32_t> shown;
  for (std::size_t row = 0; row < list.entries().size(); ++row) shown.push_back(list.at_row(row).number);
  return shown;
}

void AddCommand(CommandList& list, std::uint32_t number, const std::string& script) {
  CommandEditor editor = list.editor_for_add();
  ASSERT_TRUE(editor.select_number_value(number));
  editor.set_script(kFolder + script);
  ASSERT_EQ(editor.confirm(), std::nullopt);
  list.add(editor);
}

TEST(CommandList, OffersTheTwentyLowestFreeNumbersFromTen) {
  CommandList empty({}, kFolder);
  EXPECT_FALSE(empty.can_edit());
  EXPECT_FALSE(empty.can_delete());
  std::vector<std::uint32_t> ten_to_29;
  for (std::uint32_t n = 10; n < 30; ++n) ten_to_29.push_back(n);
  EXPECT_EQ(empty.offered_numbers(), ten_to_29);

  CommandList list({Command(12), Command(10)}, kFolder);
  const CommandEditor editor = list.editor_for_add();
  ASSERT_EQ(editor.numbers().size(), 20u);
  EXPECT_EQ(editor.numbers().front(), 11u);
  EXPECT_EQ(editor.numbers()[1], 13u);
  EXPECT_EQ(editor.numbers().back(), 31u);
  EXPECT_EQ(editor.selected_number(), 0u);

  // Edit offers the command's own number first, selected.
  list.select_row(1);  // 12
  const CommandEditor edit = list.editor_for_edit();
  EXPECT_EQ(edit.numbers().front(), 12u);
  EXPECT_EQ(edit.numbers()[1], 11u);
  EXPECT_EQ(edit.selected_number(), 0u);
}

TEST(CommandList, RowsSortByNumberTextAndDeleteTakesTheSelectedRowsCommand) {
  CommandList list({}, kFolder);
  AddCommand(list, 12, "twelve.rb");
  AddCommand(list, 11, "eleven.rb");
  EXPECT_TRUE(list.restart_needed());
  EXPECT_EQ(NumbersShown(list), (std::vector<std::uint32_t>{11, 12}));
  // File order is kept: 12 was added first.
  EXPECT_EQ(list.entries().front().number, 12u);

  list.select_row(0);
  ASSERT_EQ(list.at_row(0).number, 11u);
  list.delete_selected();
  ASSERT_EQ(list.entries().size(), 1u);
  EXPECT_EQ(list.entries()[0].number, 12u);
  EXPECT_EQ(list.entries()[0].script, "twelve.rb");
  EXPECT_EQ(list.selected_row(), 0u);  // the same row, now 12
  list.delete_selected();
  EXPECT_TRUE(list.entries().empty());
  EXPECT_EQ(list.selected_row(), std::nullopt);

  // As text: 100 between 10 and 11; a deleted last row leaves the new last selected.
  CommandList texts({Command(11), Command(100), Command(10)}, kFolder);
  EXPECT_EQ(NumbersShown(texts), (std::vector<std::uint32_t>{10, 100, 11}));
  texts.select_row(2);
  texts.delete_selected();
  EXPECT_EQ(texts.selected_row(), 1u);
  EXPECT_EQ(texts.at_row(1).number, 100u);
}

TEST(CommandList, OnlyNumberCaptionTypeOrIconNeedARestart) {
  const auto edited = [](const std::function<void(CommandEditor&)>& change) {
    CommandEntry entry = Command(10, "Run", "tools/a.rb");
    entry.options = "-v";
    CommandList list({entry, Command(11)}, kFolder);
    list.select_row(0);
    CommandEditor editor = list.editor_for_edit();
    change(editor);
    EXPECT_EQ(editor.confirm(), std::nullopt);
    list.replace_selected(editor);
    EXPECT_EQ(list.selected_row(), 0u);
    return list.restart_needed();
  };
  EXPECT_FALSE(edited([](CommandEditor&) {}));
  EXPECT_FALSE(edited([](CommandEditor& e) { e.set_script(kFolder + "b.rb"); }));
  EXPECT_FALSE(edited([](CommandEditor& e) { e.set_options("-w"); }));
  EXPECT_FALSE(edited([](CommandEditor& e) { e.set_output(kFolder + "out.txt"); }));
  EXPECT_FALSE(edited([](CommandEditor& e) {
    e.set_copy_to_clipboard(true);
    e.set_hide_console(true);
  }));
  EXPECT_TRUE(edited([](CommandEditor& e) { e.select_number_value(12); }));
  EXPECT_TRUE(edited([](CommandEditor& e) { e.set_caption("Other"); }));
  EXPECT_TRUE(edited([](CommandEditor& e) { e.set_type(3); }));
  EXPECT_TRUE(edited([](CommandEditor& e) { e.select_icon(0); }));
  EXPECT_TRUE(edited([](CommandEditor& e) { e.clear_icon(); }));

  // A later edit that changes nothing does not take back an earlier need.
  CommandList list({Command(10)}, kFolder);
  AddCommand(list, 11, "b.rb");
  list.select_row(0);
  CommandEditor unchanged = list.editor_for_edit();
  ASSERT_EQ(unchanged.confirm(), std::nullopt);
  list.replace_selected(unchanged);
  EXPECT_TRUE(list.restart_needed());
}

TEST(CommandEditor, PathsAreShownWholeAndStoredRelativeToTheScriptFolder) {
  CommandEditor editor(kFolder);
  editor.offer_numbers({10});
  editor.set_script(kFolder + "tools/a.rb");
  EXPECT_EQ(editor.caption(), "a");
  editor.set_script(kFolder + "tools/b.rb");
  EXPECT_EQ(editor.caption(), "b");  // still the script's: the user gave none
  editor.set_caption("Mine");
  editor.set_script(kFolder + "tools/b2.rb");
  EXPECT_EQ(editor.caption(), "Mine");
  editor.set_output("/tmp/out.txt");
  ASSERT_EQ(editor.confirm(), std::nullopt);
  EXPECT_EQ(editor.result().script, "tools/b2.rb");
  EXPECT_EQ(editor.result().output, "../../../tmp/out.txt");

  // A new command: the first icon, type 0; a typed relative path counts from the folder.
  EXPECT_EQ(editor.result().icon, 10);
  EXPECT_EQ(editor.result().type, 0);
  CommandEditor typed(kFolder);
  typed.offer_numbers({10});
  typed.set_script("sub/c.rb");
  ASSERT_EQ(typed.confirm(), std::nullopt);
  EXPECT_EQ(typed.result().script, "sub/c.rb");

  // Loaded for Edit: shown whole; an empty output stays empty; no icon stores -1.
  CommandEntry stored = Command(15, "x", "tools/a.rb");
  stored.icon = -1;
  stored.type = 7;  // outside 0..3: shown as a main command
  CommandEditor edit(kFolder);
  edit.offer_numbers({15, 10});
  edit.load(stored);
  EXPECT_EQ(edit.script(), kFolder + "tools/a.rb");
  EXPECT_EQ(edit.output(), "");
  EXPECT_EQ(edit.icon_position(), std::nullopt);
  EXPECT_EQ(edit.type(), 0);
  ASSERT_EQ(edit.confirm(), std::nullopt);
  EXPECT_EQ(edit.result().script, "tools/a.rb");
  EXPECT_EQ(edit.result().output, "");
  EXPECT_EQ(edit.result().icon, kNoIcon);
}

TEST(CommandEditor, TextsFitTheRecordFieldsInWholeCharactersOfTheCodePage) {
  const std::string a = "あ";  // 3 bytes in UTF-8, 2 in code page 932
  std::string long_caption;
  for (int i = 0; i < 200; ++i) long_caption += a;
  CommandEditor editor(kFolder);
  editor.offer_numbers({10});

  codepage::set_current(codepage::CodePage::cp932);
  editor.set_caption(long_caption);
  EXPECT_EQ(editor.caption().size(), 127u * a.size());  // 254 bytes: a 128th would need 256
  codepage::set_current(codepage::CodePage::utf8);
  editor.set_caption(long_caption);
  EXPECT_EQ(editor.caption().size(), 255u);  // 85 whole characters
  editor.set_options(std::string(1100, 'o'));
  EXPECT_EQ(editor.options().size(), kOptionsBytes);
  editor.append_option_file("/x");
  EXPECT_EQ(editor.options().size(), kOptionsBytes);  // no room: nothing half-appended beyond the field

  // A path the record cannot hold is refused at OK, and nothing is taken.
  editor.set_script(kFolder + std::string(261, 's') + ".rb");
  const std::optional<std::string> refused = editor.confirm();
  ASSERT_TRUE(refused.has_value());
  EXPECT_NE(refused->find("260"), std::string::npos);
  EXPECT_EQ(editor.result().number, 0u);
  editor.set_script(kFolder + std::string(257, 's') + ".rb");
  EXPECT_EQ(editor.confirm(), std::nullopt);
}

TEST(CommandList, AddIsRefusedAtNinetyNineCommands) {
  std::vector<CommandEntry> full;
  for (std::uint32_t n = 10; n < 10 + kMaxCommands; ++n) full.push_back(Command(n));
  CommandList list(full, kFolder);
  EXPECT_FALSE(list.can_add());
  EXPECT_THROW(list.editor_for_add(), std::logic_error);
  list.select_row(0);
  list.delete_selected();
  EXPECT_TRUE(list.can_add());
  AddCommand(list, 10, "back.rb");
  EXPECT_FALSE(list.can_add());
}

class ScriptedCommandDialogs : public ::testing::Test {
 protected:
  void Answer(const std::string& lines) {
    test::write_text(answers, lines);
    set_front_end(make_scripted_front_end(answers));
  }
  void TearDown() override { set_front_end(nullptr); }
  test::ScratchFolder folder;
  std::string answers = folder / "answers";
};

TEST_F(ScriptedCommandDialogs, AddEditDeleteAndTheRestartQuestion) {
  Answer(
      "add\nnumber=12\nscript=tools/a.rb\noptions=-x \"y z\"\noutput=out/*.txt\nhide=1\ntype=2\nicon=none\nok\n"
      "add\ncaption=dropped\ncancel\n"
      "edit 10\ncaption=Renamed\nclipboard=1\nok\n"
      "delete 11\n"
      "ok\ncancel\n"  // the restart question cancelled: the list stays open
      "ok\nyes\n");
  CommandList list({Command(10), Command(11)}, kFolder);
  ASSERT_TRUE(front_end().command_list(list));
  EXPECT_TRUE(list.close_host());
  ASSERT_EQ(list.entries().size(), 2u);
  const CommandEntry& renamed = list.entries()[0];
  EXPECT_EQ(renamed.caption, "Renamed");
  EXPECT_TRUE(renamed.copy_to_clipboard);
  const CommandEntry& added = list.entries()[1];
  EXPECT_EQ(added.number, 12u);
  EXPECT_EQ(added.caption, "a");
  EXPECT_EQ(added.script, "tools/a.rb");
  EXPECT_EQ(added.options, "-x \"y z\"");
  EXPECT_EQ(added.output, "out/*.txt");
  EXPECT_TRUE(added.hide_console);
  EXPECT_FALSE(added.copy_to_clipboard);
  EXPECT_EQ(added.type, 2);
  EXPECT_EQ(added.icon, kNoIcon);
}

TEST_F(ScriptedCommandDialogs, LinesTheDialogsCannotTakeFailLoudly) {
  CommandList list({Command(10)}, kFolder);
  const std::string too_long = "add\nscript=/x/" + std::string(300, 'y') + ".rb\nok\n";
  for (const std::string& lines :
       {std::string("edit 12\n"), std::string("add\nnumber=10\n"), std::string("add\nicon=37\n"),
        std::string("add\ntype=4\n"), std::string("frobnicate\n"), too_long}) {
    SCOPED_TRACE(lines);
    Answer(lines);
    ::testing::internal::CaptureStderr();
    EXPECT_THROW(front_end().command_list(list), UnexpectedPrompt);
    ::testing::internal::GetCapturedStderr();
  }
  EXPECT_EQ(list.entries().size(), 1u);
  // Without a restart, OK closes at once and asks nothing.
  Answer("edit 10\noptions=-v\nok\nok\n");
  EXPECT_TRUE(front_end().command_list(list));
  EXPECT_FALSE(list.close_host());
  EXPECT_EQ(list.entries()[0].options, "-v");
}

}  // namespace
}  // namespace platform::prompt
