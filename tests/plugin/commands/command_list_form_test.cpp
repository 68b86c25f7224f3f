// The command dialogs of the plug-in over the command file: EditCommands with
// TCommandListForm answered by scripted lines, as a user would edit.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include <platform/codepage.h>
#include <platform/prompt.h>

#include "commands/command_file.h"
#include "controller/plugin_globals.h"
#include "controller/scriptlink.h"
#include "dialogs/command_form.h"
#include "dialogs/command_list_form.h"
#include "test_support.h"

namespace scriptlink {
namespace {

using scriptlink_test::ReadFile;
using scriptlink_test::TempFolder;
using scriptlink_test::UserRecord;
using scriptlink_test::WriteFile;

class CommandListFormTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetPluginPath(folder_.path() + "Scriptlink.so");
    SetUserFolder(folder_.path());
  }
  void TearDown() override {
    platform::prompt::set_front_end(nullptr);
    platform::codepage::set_current(platform::codepage::CodePage::utf8);
  }
  void Answer(const std::string& lines) {
    WriteFile(folder_.path() + "answers", lines);
    platform::prompt::set_front_end(platform::prompt::make_scripted_front_end(folder_.path() + "answers"));
  }
  TempFolder folder_;
};

TEST_F(CommandListFormTest, AnAddIsSavedBeforeTheHostIsClosedAndUntouchedRecordsKeepTheirBytes) {
  platform::codepage::set_current(platform::codepage::CodePage::cp932);
  // A caption cut inside a character, and flag bits the dialogs do not know:
  // neither survives a trip through the dialog's texts, so both must be kept.
  CommandRecord odd = UserRecord(10, "a");
  odd.SetCaption("odd\x82");
  odd.flags = 0x81;
  TCommandArray file;
  file.Append(odd);
  SaveCommandFile(CommandFilePath(), file);
  const std::string odd_bytes(reinterpret_cast<const char*>(&odd), sizeof odd);

  TScriptlink controller(false);
  std::string file_when_closed;
  TCommandListForm form(ScriptFolder(), [&] { file_when_closed = ReadFile(CommandFilePath()); });
  Answer("add\nscript=" + ScriptFolder() + "tools/new.rb\ntype=1\nok\nok\nyes\n");
  controller.EditCommands(form);

  const std::string saved = ReadFile(CommandFilePath());
  ASSERT_EQ(saved.size(), 4 + 2 * kCommandRecordSize);
  EXPECT_EQ(file_when_closed, saved) << "the host is closed only once the file is written";
  EXPECT_EQ(saved.substr(4, kCommandRecordSize), odd_bytes);
  CommandRecord added;
  std::memcpy(&added, saved.data() + 4 + kCommandRecordSize, sizeof added);
  EXPECT_EQ(added.command_number, 11u);
  EXPECT_EQ(added.CommandName(), "Scriptlink_ExtCommand11");
  EXPECT_EQ(added.Caption(), "new");
  EXPECT_EQ(added.ScriptFile(), "tools/new.rb");
  EXPECT_EQ(added.command_type, 1);
  EXPECT_EQ(added.icon_number, 10);
  // Added: the live table waits for the restart.
  EXPECT_EQ(controller.Commands().size(), 3u);
}

TEST_F(CommandListFormTest, AnEditThatNeedsNoRestartReachesTheLiveTableAndClosesNothing) {
  TCommandArray file;
  file.Append(UserRecord(10, "a"));
  SaveCommandFile(CommandFilePath(), file);
  TScriptlink controller(false);
  bool closed = false;
  TCommandListForm form(ScriptFolder(), [&] { closed = true; });
  Answer("edit 10\noptions=--fast\nclipboard=1\nok\nok\n");
  controller.EditCommands(form);
  EXPECT_FALSE(closed);
  EXPECT_FALSE(form.NeedsRestart());
  EXPECT_EQ(controller.FindCommand(10)->ScriptOptions(), "--fast");
  EXPECT_TRUE(controller.FindCommand(10)->CopyToClipboard());
  EXPECT_EQ(controller.FindCommand(10)->ScriptFile(), "tools/a.rb");
}

TEST_F(CommandListFormTest, TheCommandFormEditsOneRecord) {
  TCommandForm form(ScriptFolder());
  form.SetNumbers({15, 10, 11});
  CommandRecord record = UserRecord(15, "old");
  record.icon_number = -1;
  form.LoadRecord(record);
  EXPECT_EQ(form.editor().script(), ScriptFolder() + "tools/old.rb");
  Answer("number=11\nok\n");
  ASSERT_TRUE(form.Run());
  EXPECT_TRUE(form.Changed());
  const CommandRecord edited = form.Record();
  EXPECT_EQ(edited.command_number, 11u);
  EXPECT_EQ(edited.CommandName(), "Scriptlink_ExtCommand11");
  EXPECT_EQ(edited.icon_number, -1);
  EXPECT_EQ(edited.Caption(), "old");
}

}  // namespace
}  // namespace scriptlink
