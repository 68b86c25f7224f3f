// The command file: loading untrusted files, atomic saving, stored paths.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include <sys/stat.h>

#if __has_include(<platform/testing.h>)
#include <platform/testing.h>
#define ZTL_HAVE_WRITE_FAILURE_SEAM 1
#endif

#include "commands/command_file.h"
#include "test_support.h"

namespace scriptlink {
namespace {

using scriptlink_test::ReadFile;
using scriptlink_test::TempFolder;
using scriptlink_test::UserRecord;
using scriptlink_test::WriteFile;

std::string CountWord(std::int32_t count) {
  std::string word(4, '\0');
  std::memcpy(word.data(), &count, 4);
  return word;
}

std::string RecordBytes(const CommandRecord& record) {
  return std::string(reinterpret_cast<const char*>(&record), sizeof record);
}

class CommandFileTest : public ::testing::Test {
 protected:
  std::string Path() const { return folder_.path() + "Scriptlink.cmd"; }
  TCommandArray Load() {
    TCommandArray table = TCommandArray::WithBuiltins();
    LoadCommandFile(Path(), table);
    return table;
  }
  TempFolder folder_;
};

TEST_F(CommandFileTest, RecordsFollowTheBuiltinsInFileOrder) {
  WriteFile(Path(), CountWord(3) + RecordBytes(UserRecord(12, "a")) +
                        RecordBytes(UserRecord(10, "b")) + RecordBytes(UserRecord(11, "c")));
  const TCommandArray table = Load();
  ASSERT_EQ(table.size(), 5u);
  EXPECT_EQ(table[1].CommandName(), "Scriptlink_Help");
  EXPECT_EQ(table[2].Caption(), "a");
  EXPECT_EQ(table[3].Caption(), "b");
  EXPECT_EQ(table[4].Caption(), "c");
  EXPECT_EQ(table[4].CommandName(), "Scriptlink_ExtCommand11");
  EXPECT_EQ(table[4].ScriptFile(), "tools/c.rb");
}

TEST_F(CommandFileTest, MissingFileOrACountOutsideOneTo99AppendsNothing) {
  EXPECT_EQ(Load().size(), 2u);
  for (const std::int32_t count : {0, -1, 100, 0x7fffffff, static_cast<std::int32_t>(0x80000000)}) {
    std::string bytes = CountWord(count);
    for (int i = 0; i < 3; ++i) bytes += RecordBytes(UserRecord(10, "x"));
    WriteFile(Path(), bytes);
    EXPECT_EQ(Load().size(), 2u) << "count " << count;
  }
}

TEST_F(CommandFileTest, ShortFilesLoadWhatIsThereAndZeroTheRest) {
  // Fewer than four bytes: not even a count.
  WriteFile(Path(), std::string("\x02\x00", 2));
  EXPECT_EQ(Load().size(), 2u);

  // Count 2 but one and a half records: the half is kept, the rest is zero.
  const std::string first = RecordBytes(UserRecord(10, "whole"));
  const std::string second = RecordBytes(UserRecord(11, "half"));
  WriteFile(Path(), CountWord(2) + first + second.substr(0, 524));
  TCommandArray table = Load();
  ASSERT_EQ(table.size(), 4u);
  EXPECT_EQ(table[2].Caption(), "whole");
  EXPECT_EQ(table[3].Caption(), "half");
  EXPECT_EQ(table[3].command_number, 11u);
  EXPECT_EQ(table[3].ScriptFile(), "") << "bytes past the file's end must be zero";
  EXPECT_EQ(table[3].flags, 0);

  // A count alone: the records are all zero.
  WriteFile(Path(), CountWord(3));
  table = Load();
  ASSERT_EQ(table.size(), 5u);
  EXPECT_EQ(table[4].command_number, 0u);
  EXPECT_EQ(table[4].Caption(), "");
}

TEST_F(CommandFileTest, WhatIsNotARegularFileIsRefusedAtOnceAndNothingIsAppended) {
  ASSERT_EQ(::mkfifo(Path().c_str(), 0600), 0);
  TCommandArray table = TCommandArray::WithBuiltins();
  try {
    LoadCommandFile(Path(), table);  // used to wait for a writer for ever
    ADD_FAILURE() << "a FIFO was read";
  } catch (const std::runtime_error& error) {
    EXPECT_NE(std::string(error.what()).find(Path() + " is a FIFO, not a regular file"), std::string::npos)
        << error.what();
  }
  EXPECT_EQ(table.size(), 2u);
  EXPECT_THROW(LoadCommandFile("/dev/zero", table), std::runtime_error);
  EXPECT_EQ(table.size(), 2u);
}

TEST_F(CommandFileTest, BytesAfterTheCountedRecordsAreIgnored) {
  WriteFile(Path(), CountWord(1) + RecordBytes(UserRecord(10, "only")) + std::string(300000, 'z'));
  const TCommandArray table = Load();
  ASSERT_EQ(table.size(), 3u);
  EXPECT_EQ(table[2].Caption(), "only");
}

TEST_F(CommandFileTest, SaveAndLoadRoundTrip) {
  TCommandArray working;
  for (std::uint32_t n = 10; n < 10 + 99; ++n) working.Append(UserRecord(n, "c" + std::to_string(n)));
  SaveCommandFile(Path(), working);
  EXPECT_EQ(ReadFile(Path()).size(), 4 + 99 * sizeof(CommandRecord));

  TCommandArray loaded;
  LoadCommandFile(Path(), loaded);
  ASSERT_EQ(loaded.size(), 99u);
  for (std::size_t i = 0; i < loaded.size(); ++i) {
    ASSERT_EQ(std::memcmp(&loaded[i], &working[i], sizeof(CommandRecord)), 0) << i;
  }
}

TEST_F(CommandFileTest, EmptyListSavesACountOfZeroAlone) {
  WriteFile(Path(), CountWord(1) + RecordBytes(UserRecord(10, "old")));
  SaveCommandFile(Path(), TCommandArray{});
  EXPECT_EQ(ReadFile(Path()), std::string(4, '\0'));
}

TEST_F(CommandFileTest, SavingMoreThan99IsRefusedAndTheOldFileStays) {
  const std::string old = CountWord(1) + RecordBytes(UserRecord(10, "keep"));
  WriteFile(Path(), old);
  TCommandArray working;
  for (std::uint32_t n = 0; n < 100; ++n) working.Append(UserRecord(10 + n, "x"));
  try {
    SaveCommandFile(Path(), working);
    FAIL() << "100 records were saved";
  } catch (const std::runtime_error& error) {
    EXPECT_STREQ(error.what(), "コマンドは99個までしか登録できません");
  }
  EXPECT_EQ(ReadFile(Path()), old);
}

TEST_F(CommandFileTest, AFailedWriteLeavesTheOldFileWhole) {
#ifdef ZTL_HAVE_WRITE_FAILURE_SEAM
  const std::string old = CountWord(1) + RecordBytes(UserRecord(10, "keep"));
  WriteFile(Path(), old);
  TCommandArray working;
  for (std::uint32_t n = 0; n < 5; ++n) working.Append(UserRecord(20 + n, "new"));
  platform::testing::fail_writes_after(3000);
  EXPECT_ANY_THROW(SaveCommandFile(Path(), working));
  platform::testing::stop_failing_writes();
  EXPECT_EQ(ReadFile(Path()), old);
#else
  GTEST_SKIP() << "the platform layer has no write-failure seam yet";
#endif
}

TEST(StoredPaths, RelativeToTheScriptFolderAndBack) {
  const std::string base = "/home/u/.zentrella/Script/";
  EXPECT_EQ(ToStoredPath(base + "sub/a.rb", base), "sub/a.rb");
  EXPECT_EQ(ToStoredPath(base + "a.rb", base), "a.rb");
  EXPECT_EQ(ToStoredPath("/home/u/other/b.rb", base), "../../other/b.rb");
  EXPECT_EQ(ToStoredPath("", base), "");

  EXPECT_EQ(FromStoredPath("sub/a.rb", base), base + "sub/a.rb");
  EXPECT_EQ(FromStoredPath("../../other/b.rb", base), "/home/u/other/b.rb");
  EXPECT_EQ(FromStoredPath("/abs/c.rb", base), "/abs/c.rb");
  EXPECT_EQ(FromStoredPath("", base), "") << "an empty output file stays empty";
}

}  // namespace
}  // namespace scriptlink
