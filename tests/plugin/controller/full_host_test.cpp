// A complete test host loads the built plug-in and drives its entry points.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "commands/command_file.h"
#include "fake_host.h"
#include "test_support.h"

namespace {

using scriptlink::CommandRecord;
using scriptlink_test::TempFolder;

class FullHostTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fake_host::user_folder = user_.path();
    fake_host::station = 0;
  }
  void TearDown() override {
    if (initialised_) plugin_.Unload();
  }
  void Init() {
    ASSERT_EQ(plugin_.Init(fake_host::PluginModule::Path()), -1);
    initialised_ = true;
  }
  TempFolder user_;
  fake_host::PluginModule plugin_;
  bool initialised_ = false;
};

void ExpectEntry(const ZtlCommandEntry* entry, const char* name, const char* caption,
                 std::uint32_t number, std::int32_t icon) {
  ASSERT_NE(entry, nullptr);
  EXPECT_STREQ(entry->name, name);
  EXPECT_STREQ(entry->caption, caption);
  EXPECT_EQ(+entry->number, number);
  EXPECT_EQ(+entry->icon, icon);
  EXPECT_EQ(+entry->type, 0);
  EXPECT_EQ(+entry->reserved, 0u);
}

TEST_F(FullHostTest, InitCreatesTheScriptFolderAndPutsTheExtensionOnRubyLib) {
  ::setenv("RUBYLIB", "/elsewhere", 1);
  Init();
  EXPECT_TRUE(scriptlink_test::IsFolder(user_.path() + "Script"));
  const std::string plugin_folder =
      std::filesystem::path(fake_host::PluginModule::Path()).parent_path().string() + "/";
  EXPECT_EQ(std::string(std::getenv("RUBYLIB")), plugin_folder + "ruby:/elsewhere");
}

TEST_F(FullHostTest, WithoutACommandFileTheTwoBuiltinsAreOffered) {
  Init();
  ZtlPluginInfo* info = plugin_.SetPluginInfo();
  ASSERT_NE(info, nullptr);
  EXPECT_EQ(+info->record_size, sizeof(ZtlPluginInfo));
  EXPECT_STREQ(info->name, "Scriptlink");
  EXPECT_EQ(+info->minus_one, -1);
  ASSERT_EQ(info->command_count, 2);
  ExpectEntry(info->commands[0], "Scriptlink_MacroExec", "Rubyマクロ実行", 0, 1);
  ExpectEntry(info->commands[1], "Scriptlink_Help", "Scriptlinkヘルプ", 1, 2);
  EXPECT_EQ(info->commands[2], nullptr);
  plugin_.FreePluginInfo(info);
}

TEST_F(FullHostTest, TwoRecordsAreIndependent) {
  Init();
  ZtlPluginInfo* first = plugin_.SetPluginInfo();
  ZtlPluginInfo* second = plugin_.SetPluginInfo();
  ASSERT_NE(first, nullptr);
  ASSERT_NE(second, nullptr);
  EXPECT_NE(+first->commands, +second->commands);
  EXPECT_NE(+first->commands[0]->name, +second->commands[0]->name);
  plugin_.FreePluginInfo(first);
  ExpectEntry(second->commands[1], "Scriptlink_Help", "Scriptlinkヘルプ", 1, 2);
  plugin_.FreePluginInfo(second);
}

TEST_F(FullHostTest, CommandFileRecordsFollowTheBuiltinsInFileOrder) {
  scriptlink::TCommandArray list;
  for (std::uint32_t number : {12u, 10u, 11u}) {
    CommandRecord record = scriptlink_test::UserRecord(number, "コマンド" + std::to_string(number));
    record.command_type = 2;
    list.Append(record);
  }
  scriptlink::SaveCommandFile(user_.path() + "Scriptlink.cmd", list);
  Init();

  ZtlPluginInfo* info = plugin_.SetPluginInfo();
  ASSERT_NE(info, nullptr);
  ASSERT_EQ(info->command_count, 5);
  EXPECT_STREQ(info->commands[2]->name, "Scriptlink_ExtCommand12");
  EXPECT_STREQ(info->commands[3]->caption, "コマンド10");
  EXPECT_EQ(+info->commands[4]->number, 11u);
  EXPECT_EQ(+info->commands[4]->icon, 11);
  EXPECT_EQ(+info->commands[4]->type, 2);
  EXPECT_EQ(info->commands[5], nullptr);
  plugin_.FreePluginInfo(info);
}

TEST_F(FullHostTest, ExecuteAlwaysReturnsZeroAndHooksAnswerMinusOne) {
  Init();
  EXPECT_EQ(plugin_.Execute(1, nullptr), 0);
  EXPECT_NE(scriptlink_test::ProcessEnvironment::OpenedLog().find("Help/First.html"),
            std::string::npos);
  EXPECT_EQ(plugin_.Execute(5, nullptr), 0);

  EXPECT_EQ(plugin_.OnZentrellaMainWndProc(1, 2), -1);
  EXPECT_EQ(plugin_.OnTaskListViewWndProc(1, 2), -1);
  EXPECT_EQ(plugin_.OnTreeViewWndProc(1, 2), -1);
  EXPECT_EQ(plugin_.OnEditWndProc(1, 2), -1);
  EXPECT_EQ(plugin_.OnFilerWndProc(1, 2), -1);
  EXPECT_EQ(plugin_.OnCalendarWndProc(1, 2), -1);
  EXPECT_EQ(plugin_.OnFolderLauncherWndProc(1, 2), -1);
  EXPECT_EQ(plugin_.OnTaskLauncherWndProc(1, 2), -1);
  EXPECT_EQ(plugin_.OnFilterTabWndProc(1, 2), -1);
  EXPECT_EQ(plugin_.OnEditTabWndProc(1, 2), -1);
  EXPECT_EQ(plugin_.OnEditHotSpotDblClick(1, 2), -1);
  plugin_.Activate();
  plugin_.OnCommand(1, 2, 3, 4);
  plugin_.OnCurrentItemChange(1);
  plugin_.OnChangeCurrentProject(1, 2);
  plugin_.OnCreateTempFile(1, 2, 3);
  plugin_.OnEditChange();
}

TEST_F(FullHostTest, VersionComesFromThePluginFile) {
  Init();
  std::uint32_t high = 7, low = 7;
  plugin_.SetVersion(&high, &low);
  EXPECT_EQ(high, (std::uint32_t{ZTL_VERSION_MAJOR} << 16) | ZTL_VERSION_MINOR);
  EXPECT_EQ(low, (std::uint32_t{ZTL_VERSION_RELEASE} << 16) | ZTL_VERSION_BUILD);
}

TEST_F(FullHostTest, AfterUnloadNoErrorEscapesTheEntryPoints) {
  Init();
  plugin_.Unload();
  initialised_ = false;
  EXPECT_EQ(plugin_.SetPluginInfo(), nullptr);
  EXPECT_EQ(plugin_.Execute(10, nullptr), 0);
  // Init again on the same library works from scratch.
  Init();
  ZtlPluginInfo* info = plugin_.SetPluginInfo();
  ASSERT_NE(info, nullptr);
  EXPECT_EQ(+info->command_count, 2);
  plugin_.FreePluginInfo(info);
}

TEST_F(FullHostTest, AStationStartsAndUnloadsCleanly) {
  fake_host::station = 1;
  Init();
  plugin_.Unload();
  initialised_ = false;
}

TEST_F(FullHostTest, AnOverlongUserFolderIsCutAtTheBuffer) {
  // The host fills all 260 bytes without a terminator: the plug-in must not
  // read past them.
  TempFolder base;
  std::string folder = base.path();
  folder += std::string(260 - folder.size(), 'u');
  fake_host::user_folder = folder + "/more";
  Init();
  EXPECT_TRUE(scriptlink_test::IsFolder(folder + "Script"));
}

}  // namespace
