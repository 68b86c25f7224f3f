// Host commands by name, the wait form's cancel, panes and the user folder.
#include "host_fixture.h"
#include "model/host_commands.h"
#include "model/interrupt.h"
#include "model/wait_form.h"

namespace zentrella::testing {
namespace {

using SessionApiTest = HostTest;

int g_cancels = 0;
int32_t count_cancel() { return ++g_cancels; }

TEST_F(SessionApiTest, CommandsAreLoggedAndKnownOnesRun) {
  clear_command_log();
  ZTLPlugin_SetCurrentFolder(F);
  const char* const args[] = {"Write report", "", "", nullptr};
  EXPECT_EQ(ZTLPlugin_Command(0, "NewTask", -1, -1, args), -1);
  EXPECT_EQ(ZTLPlugin_Command(0, "NoSuchCommand", -1, 0, nullptr), 0);
  ASSERT_EQ(command_log().size(), 2u);
  EXPECT_EQ(command_log()[0].name, "NewTask");
  EXPECT_TRUE(command_log()[0].shift);
  EXPECT_EQ(command_log()[0].arguments, std::vector<std::string>({"Write report"}));
  EXPECT_FALSE(command_log()[1].shift);
  const Handle made = ZTLPlugin_GetCurrnetItem();
  EXPECT_EQ(title(made), "Write report");
  EXPECT_EQ(ZTLPlugin_GetParent(made), F);
}

TEST_F(SessionApiTest, CloseSavesAndAsksTheHostToEndAfterTheCommand) {
  int saves = 0;
  set_save_handler([&saves] { ++saves; });
  clear_close_request();
  const char* const none[] = {nullptr};
  EXPECT_EQ(ZTLPlugin_Command(0, "Close", 0, 0, none), -1);
  EXPECT_TRUE(close_requested());
  EXPECT_EQ(saves, 1);
  set_save_handler({});
  clear_close_request();
}

TEST_F(SessionApiTest, CtrlCDuringTheWaitFormCallsCancelFromTheMessagePump) {
  g_cancels = 0;
  wait_form().set_terminal(false);
  request_interrupt();  // before the form: not for it
  ZTLPlugin_ShowWaitForm(count_cancel, "Script", "demo.rb", "", "", 0);
  ZTLPlugin_ExecMessageProc();
  EXPECT_EQ(g_cancels, 0);
  request_interrupt();
  EXPECT_EQ(g_cancels, 0);  // never from the signal side
  ZTLPlugin_ExecMessageProc();
  EXPECT_EQ(g_cancels, 1);
  EXPECT_NE(wait_form().line().find("demo.rb"), std::string::npos);
  ZTLPlugin_CloseWaitForm();
  request_interrupt();
  ZTLPlugin_ExecMessageProc();
  EXPECT_EQ(g_cancels, 1);
  EXPECT_TRUE(interrupt_requested());  // left for the host to end on
  clear_interrupt();
}

TEST_F(SessionApiTest, PanesWindowsStationAndUserFolder) {
  EXPECT_EQ(ZTLPlugin_SetActiveControl(ZTL_AC_EDIT), ZTL_TRUE);
  EXPECT_EQ(ZTLPlugin_GetActiveControl(), ZTL_AC_EDIT);
  EXPECT_EQ(ZTLPlugin_SetActiveControl(99), ZTL_FALSE);
  EXPECT_EQ(ZTLPlugin_GetActiveControl(), ZTL_AC_EDIT);
  ZtlWindow main = 0, client = 0;
  ZTLPlugin_GetWindowHandle(&main, nullptr, nullptr, nullptr, nullptr, &client, nullptr);
  EXPECT_EQ(main, 1u);
  EXPECT_NE(client, 0u);
  EXPECT_EQ(ZTLPlugin_IsStation(), ZTL_TRUE);
  session().user_folder = "/home/u/.local/share/zentrella/";
  char buffer[261];
  EXPECT_EQ(ZTLPlugin_GetUserFolderName(buffer, 260), 31);
  EXPECT_STREQ(buffer, "/home/u/.local/share/zentrella/");
  EXPECT_EQ(ZTLPlugin_GetUserFolderName(buffer, 5), 5);
  EXPECT_STREQ(buffer, "/home");
}

}  // namespace
}  // namespace zentrella::testing
