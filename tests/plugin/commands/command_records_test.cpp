// Command records and the command table: field texts, built-ins, look-up.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "commands/command_record.h"
#include "commands/command_table.h"
#include "test_support.h"

namespace scriptlink {
namespace {

using scriptlink_test::UserRecord;

TEST(CommandRecordText, ReadStopsAtNulOrTheArrayEnd) {
  CommandRecord record = EmptyCommandRecord();
  EXPECT_EQ(record.Caption(), "");
  std::memcpy(record.caption, "abc\0def", 7);
  EXPECT_EQ(record.Caption(), "abc");
  // An untrusted record may fill a field to the last byte without a NUL.
  std::memset(record.script_file, 'x', sizeof record.script_file);
  EXPECT_EQ(record.ScriptFile(), std::string(261, 'x'));
  EXPECT_EQ(record.ScriptOptions(), "") << "the read must not run into the next field";
}

TEST(CommandRecordText, WriteRefusesTextThatDoesNotFitAndKeepsTheOldText) {
  CommandRecord record = EmptyCommandRecord();
  record.SetCaption("old");
  EXPECT_THROW(record.SetCaption(std::string(256, 'a')), TextTooLong);
  EXPECT_THROW(record.SetCaption(std::string("a\0b", 3)), TextTooLong);
  EXPECT_EQ(record.Caption(), "old");

  record.SetCaption(std::string(255, 'a'));
  EXPECT_EQ(record.Caption(), std::string(255, 'a'));
  EXPECT_EQ(record.caption[255], '\0');

  record.SetScriptOptions(std::string(1024, 'o'));
  EXPECT_THROW(record.SetScriptOptions(std::string(1025, 'o')), TextTooLong);
  EXPECT_THROW(record.SetOutputFile(std::string(261, 'f')), TextTooLong);
}

TEST(CommandRecordText, ShorterTextClearsTheRestOfTheField) {
  CommandRecord record = EmptyCommandRecord();
  record.SetScriptFile("a-long-name.rb");
  record.SetScriptFile("b.rb");
  EXPECT_EQ(record.ScriptFile(), "b.rb");
  for (std::size_t i = 4; i < sizeof record.script_file; ++i) ASSERT_EQ(record.script_file[i], 0);
}

TEST(CommandTable, StartsWithTheTwoBuiltins) {
  const TCommandArray table = TCommandArray::WithBuiltins();
  ASSERT_EQ(table.size(), 2u);
  EXPECT_EQ(table[0].Caption(), "Rubyマクロ実行");
  EXPECT_EQ(table[0].CommandName(), "Scriptlink_MacroExec");
  EXPECT_EQ(table[0].command_number, 0u);
  EXPECT_EQ(table[0].icon_number, 1);
  EXPECT_EQ(table[1].Caption(), "Scriptlinkヘルプ");
  EXPECT_EQ(table[1].CommandName(), "Scriptlink_Help");
  EXPECT_EQ(table[1].command_number, 1u);
  EXPECT_EQ(table[1].icon_number, 2);
  for (const CommandRecord& record : table) {
    EXPECT_EQ(record.command_type, 0);
    EXPECT_EQ(record.reserved, 0u);
    EXPECT_EQ(record.flags, 0);
    EXPECT_EQ(record.ScriptFile(), "");
  }
  EXPECT_EQ(UserCommandName(10), "Scriptlink_ExtCommand10");
}

TEST(CommandTable, FindReturnsTheLaterOfTwoRecordsAndNeverABuiltin) {
  TCommandArray table = TCommandArray::WithBuiltins();
  EXPECT_EQ(table.FindCommand(0), nullptr);
  EXPECT_EQ(table.FindCommand(1), nullptr);

  table.Append(UserRecord(12, "first"));
  table.Append(UserRecord(11, "other"));
  table.Append(UserRecord(12, "second"));
  // A user record that happens to carry a built-in's number is found; the
  // built-in slot itself is not.
  table.Append(UserRecord(1, "user one"));

  ASSERT_NE(table.FindCommand(12), nullptr);
  EXPECT_EQ(table.FindCommand(12)->Caption(), "second");
  EXPECT_EQ(table.FindCommand(11)->Caption(), "other");
  EXPECT_EQ(table.FindCommand(1)->Caption(), "user one");
  EXPECT_EQ(table.FindCommand(13), nullptr);
  EXPECT_EQ(table.FindCommand(0), nullptr);
}

}  // namespace
}  // namespace scriptlink
