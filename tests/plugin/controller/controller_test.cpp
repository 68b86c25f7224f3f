// The controller without a host: command table at start-up, editing the user
// commands, the commands it runs itself, and the plug-in info built from it.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

#include <platform/named_mapping.h>
#include <ztl/channel.h>

#include "commands/command_file.h"
#include "controller/help_launcher.h"
#include "host_binding/host_api_table.h"
#include "controller/plugin_globals.h"
#include "controller/plugin_info.h"
#include "controller/scriptlink.h"
#include "test_support.h"

namespace scriptlink {
namespace {

using scriptlink_test::ReadFile;
using scriptlink_test::TempFolder;
using scriptlink_test::UserRecord;

class ScriptedDialog : public CommandListDialog {
 public:
  std::function<bool(TCommandArray&)> on_show;
  bool restart = false;
  std::size_t shown_size = 0;
  bool ShowModal(TCommandArray& working) override {
    shown_size = working.size();
    return on_show(working);
  }
  bool NeedsRestart() const override { return restart; }
};

// The station claim as another host would see it.
struct StationClaimWord {
  platform::NamedMapping mapping =
      platform::NamedMapping::create_or_open(ZTL_STATION_MAPPING_NAME, ZTL_STATION_MAPPING_SIZE);
  platform::MappedView view = mapping.view();
  void Write(std::uint32_t pid) { std::memcpy(view.data(), &pid, sizeof pid); }
  std::uint32_t Read() const {
    std::uint32_t pid = 0;
    std::memcpy(&pid, view.data(), sizeof pid);
    return pid;
  }
};

class ControllerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetPluginPath(folder_.path() + "Scriptlink.so");
    SetUserFolder(folder_.path());
  }
  void WriteCommands(std::initializer_list<CommandRecord> records) {
    TCommandArray list;
    for (const CommandRecord& record : records) list.Append(record);
    SaveCommandFile(CommandFilePath(), list);
  }
  TempFolder folder_;
};

TEST_F(ControllerTest, TableHoldsTheBuiltinsThenTheFile) {
  WriteCommands({UserRecord(10, "a"), UserRecord(11, "b")});
  TScriptlink controller(false);
  ASSERT_EQ(controller.Commands().size(), 4u);
  EXPECT_EQ(controller.Commands()[0].CommandName(), "Scriptlink_MacroExec");
  EXPECT_EQ(controller.Commands()[3].Caption(), "b");
  EXPECT_EQ(controller.FindCommand(11)->Caption(), "b");
  EXPECT_FALSE(controller.Busy());
  EXPECT_EQ(controller.AnnouncementMapping(), nullptr) << "only a station announces its channels";
  EXPECT_EQ(controller.WaitThread(), nullptr) << "only a station waits for external scripts";
  EXPECT_FALSE(controller.IsStation());
}

TEST_F(ControllerTest, AStationWaitsForExternalScriptsAndStopsAtShutDown) {
  auto controller = std::make_unique<TScriptlink>(true);
  EXPECT_TRUE(controller->IsStation());
  EXPECT_NE(controller->WaitThread(), nullptr);
  EXPECT_NE(controller->AnnouncementMapping(), nullptr);
  EXPECT_NE(controller->NotifyWindow().handle(), 0u);
  EXPECT_EQ(TStationClaim::CurrentStation(), ::getpid());
  controller.reset();  // joins the thread; a hang here fails the test's time-out
  EXPECT_EQ(TStationClaim::CurrentStation(), 0) << "the claim is given back";
}

// Another live process holds the claim: this host runs its own scripts only.
TEST_F(ControllerTest, AHostDoesNotTakeTheStationOfALiveHost) {
  StationClaimWord claim;
  claim.Write(static_cast<std::uint32_t>(::getppid()));
  TScriptlink controller(true);
  EXPECT_FALSE(controller.IsStation());
  EXPECT_EQ(controller.WaitThread(), nullptr);
  EXPECT_EQ(controller.AnnouncementMapping(), nullptr);
  EXPECT_EQ(claim.Read(), static_cast<std::uint32_t>(::getppid()));
}

TEST_F(ControllerTest, AHostTakesOverTheClaimOfAStationThatEnded) {
  const pid_t ended = ::fork();
  if (ended == 0) ::_exit(0);
  ASSERT_GT(ended, 0);
  ::waitpid(ended, nullptr, 0);
  StationClaimWord claim;
  claim.Write(static_cast<std::uint32_t>(ended));
  {
    TScriptlink controller(true);
    EXPECT_TRUE(controller.IsStation());
    EXPECT_NE(controller.WaitThread(), nullptr);
    EXPECT_EQ(claim.Read(), static_cast<std::uint32_t>(::getpid()));
  }
  EXPECT_EQ(claim.Read(), 0u);
}

TEST_F(ControllerTest, CancelledEditChangesNothing) {
  WriteCommands({UserRecord(10, "a")});
  const std::string before = ReadFile(CommandFilePath());
  TScriptlink controller(false);
  ScriptedDialog dialog;
  dialog.on_show = [](TCommandArray& working) {
    working.Clear();
    return false;
  };
  controller.EditCommands(dialog);
  EXPECT_EQ(ReadFile(CommandFilePath()), before);
  EXPECT_EQ(controller.Commands()[2].Caption(), "a");
}

TEST_F(ControllerTest, EditWithoutRestartUpdatesTheLiveTableButKeepsItsLength) {
  WriteCommands({UserRecord(10, "a"), UserRecord(11, "b")});
  TScriptlink controller(false);
  ScriptedDialog dialog;
  dialog.on_show = [](TCommandArray& working) {
    working[0].SetScriptOptions("-v");
    working.Append(UserRecord(12, "c"));
    return true;
  };
  controller.EditCommands(dialog);

  TCommandArray saved;
  LoadCommandFile(CommandFilePath(), saved);
  ASSERT_EQ(saved.size(), 3u);
  EXPECT_EQ(saved[2].Caption(), "c");
  ASSERT_EQ(controller.Commands().size(), 4u) << "the host knows only four commands";
  EXPECT_EQ(controller.Commands()[2].ScriptOptions(), "-v");
  EXPECT_EQ(controller.FindCommand(12), nullptr);
}

// The host runs commands by number: after a delete, an edited command must be
// the one its number finds, not the old record a position-wise copy leaves.
TEST_F(ControllerTest, AfterADeleteEachLiveCommandTakesTheRecordOfItsNumber) {
  WriteCommands({UserRecord(10, "a"), UserRecord(11, "b")});
  TScriptlink controller(false);
  ScriptedDialog dialog;
  dialog.on_show = [](TCommandArray& working) {
    working.Erase(0);
    working[0].SetScriptOptions("--edited");
    return true;
  };
  controller.EditCommands(dialog);
  ASSERT_EQ(controller.Commands().size(), 4u);
  EXPECT_EQ(controller.FindCommand(11)->ScriptOptions(), "--edited");
  EXPECT_EQ(controller.FindCommand(10)->Caption(), "a") << "the host offers it until its restart";
}

TEST_F(ControllerTest, EditNeedingARestartOnlySavesTheFile) {
  WriteCommands({UserRecord(10, "a")});
  TScriptlink controller(false);
  ScriptedDialog dialog;
  dialog.restart = true;
  dialog.on_show = [](TCommandArray& working) {
    working[0].SetCaption("renamed");
    return true;
  };
  controller.EditCommands(dialog);
  TCommandArray saved;
  LoadCommandFile(CommandFilePath(), saved);
  EXPECT_EQ(saved[0].Caption(), "renamed");
  EXPECT_EQ(controller.Commands()[2].Caption(), "a");
}

TEST_F(ControllerTest, TheDialogWorksOnAFreshReadOfTheFile) {
  WriteCommands({UserRecord(10, "a")});
  TScriptlink controller(false);
  WriteCommands({UserRecord(10, "a"), UserRecord(11, "saved after start")});
  ScriptedDialog dialog;
  std::string second;
  dialog.on_show = [&](TCommandArray& working) {
    second = std::string(working[1].Caption());
    return false;
  };
  controller.EditCommands(dialog);
  EXPECT_EQ(dialog.shown_size, 2u);
  EXPECT_EQ(second, "saved after start");
}

TEST_F(ControllerTest, AHundredthCommandIsRefusedAndNothingChanges) {
  TCommandArray many;
  for (std::uint32_t n = 0; n < 99; ++n) many.Append(UserRecord(10 + n, "c"));
  SaveCommandFile(CommandFilePath(), many);
  const std::string before = ReadFile(CommandFilePath());
  TScriptlink controller(false);
  ScriptedDialog dialog;
  dialog.on_show = [](TCommandArray& working) {
    working[0].SetCaption("changed");
    working.Append(UserRecord(200, "one too many"));
    return true;
  };
  EXPECT_THROW(controller.EditCommands(dialog), std::runtime_error);
  EXPECT_EQ(ReadFile(CommandFilePath()), before);
  EXPECT_EQ(controller.Commands()[2].Caption(), "c");
}

TEST_F(ControllerTest, HelpCommandOpensTheFirstPage) {
  TScriptlink controller(false);
  EXPECT_FALSE(controller.RunCommand(1, nullptr));
  const std::string log = scriptlink_test::ProcessEnvironment::OpenedLog();
  EXPECT_NE(log.find(folder_.path() + "Help/First.html\n"), std::string::npos) << log;
  for (std::uint32_t n = 2; n < 10; ++n) EXPECT_FALSE(controller.RunCommand(n, nullptr));
  EXPECT_EQ(scriptlink_test::ProcessEnvironment::OpenedLog(), log) << "2..9 must do nothing";
}

TEST(HelpLauncher, PagesLieInTheHelpFolderBesideThePlugin) {
  PrepareHelp();
  EXPECT_FALSE(HelpViewerAvailable());
  EXPECT_EQ(HelpPagePath("/opt/z/Scriptlink.so", "ScriptListForm.html"),
            "/opt/z/Help/ScriptListForm.html");
  EXPECT_EQ(HelpPagePath("/opt/z/Scriptlink.so", ""), "/opt/z/Help/Index.html");
}

TEST(PluginInfo, OneEntryPerSlotWithItsOwnCopies) {
  TCommandArray table = TCommandArray::WithBuiltins();
  CommandRecord user = UserRecord(10, "user");
  user.SetCaption(std::string(255, 'c'));
  // A command name that fills its array without a NUL is still copied
  // NUL-terminated.
  std::memset(user.command_name, 'n', sizeof user.command_name);
  user.command_type = 3;
  user.icon_number = -1;
  table.Append(user);

  ZtlPluginInfo* info = BuildPluginInfo(table);
  ASSERT_NE(info, nullptr);
  EXPECT_EQ(+info->record_size, 32u);
  EXPECT_STREQ(info->name, "Scriptlink");
  EXPECT_EQ(+info->minus_one, -1);
  ASSERT_EQ(info->command_count, 3);
  EXPECT_EQ(info->commands[3], nullptr);
  const ZtlCommandEntry& entry = *info->commands[2];
  EXPECT_EQ(std::string(entry.name), std::string(256, 'n'));
  EXPECT_EQ(std::string(entry.caption), std::string(255, 'c'));
  EXPECT_EQ(+entry.number, 10u);
  EXPECT_EQ(+entry.icon, -1);
  EXPECT_EQ(+entry.type, 3);
  EXPECT_EQ(+entry.unused, 0u);

  // Built fresh: a later change of the table does not reach an earlier record.
  table[2].SetCaption("changed");
  ZtlPluginInfo* second = BuildPluginInfo(table);
  EXPECT_NE(+second->commands[2]->caption, +info->commands[2]->caption);
  FreePluginInfo(info);
  EXPECT_STREQ(second->commands[2]->caption, "changed");
  EXPECT_STREQ(second->commands[0]->name, "Scriptlink_MacroExec");
  FreePluginInfo(second);
  FreePluginInfo(nullptr);
}

TEST(HostBinding, NamesInOrderAndTheFirstMissingOneStopsTheBinding) {
  EXPECT_STREQ(kHostFunctionNames[0], "ZTLPlugin_FreeItemInfo");
  EXPECT_STREQ(kHostFunctionNames[16], "ZTLPlugin_GetCurrnetItem");
  EXPECT_STREQ(kHostFunctionNames[62], "ZTLPlugin_ExecLinekdFile");
  EXPECT_STREQ(kHostFunctionNames[ZTL_HOST_API_COUNT - 1], "ZTLPlugin_EditWordFromPosStr");

  static std::vector<std::string> asked;
  static std::string missing;
  static int token;
  auto lookup = [](const char* name) -> void* {
    asked.emplace_back(name);
    return missing == name ? nullptr : &token;
  };

  HostApi api;
  missing = "ZTLPlugin_AddLinkedFile";
  EXPECT_FALSE(BindHostApi(api, lookup));
  EXPECT_EQ(asked.back(), missing) << "binding must stop at the first missing name";
  EXPECT_EQ(api.FreeItemInfo, nullptr) << "a failed binding leaves the table as it was";

  asked.clear();
  missing.clear();
  EXPECT_TRUE(BindHostApi(api, lookup));
  ASSERT_EQ(asked.size(), std::size_t{ZTL_HOST_API_COUNT});
  for (std::size_t i = 0; i < asked.size(); ++i) EXPECT_EQ(asked[i], kHostFunctionNames[i]);
  EXPECT_EQ(reinterpret_cast<void*>(api.EditWordFromPosStr), &token);
}

}  // namespace
}  // namespace scriptlink
