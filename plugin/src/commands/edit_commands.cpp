// The file-and-table half of editing the user commands; the dialog itself is
// behind CommandListDialog.
#include <algorithm>

#include "commands/command_file.h"
#include "controller/plugin_globals.h"
#include "controller/scriptlink.h"
#include "dialogs/command_list_form.h"

namespace scriptlink {

void TScriptlink::EditCommands(CommandListDialog& dialog) {
  // A fresh read of the file, not the live table: the table may hold commands
  // of an earlier edit that only take effect after a restart.
  TCommandArray working;
  LoadCommandFile(CommandFilePath(), working);
  if (!dialog.ShowModal(working)) return;

  SaveCommandFile(CommandFilePath(), working);
  dialog.Saved();
  if (dialog.NeedsRestart()) return;

  // The host knows the table's length from start-up, so the live table keeps
  // it; records beyond it take effect at the next start.
  const std::size_t live_users = commands_.size() - kFirstUserSlot;
  const std::size_t copied = std::min(live_users, working.size());
  for (std::size_t i = 0; i < copied; ++i) commands_[kFirstUserSlot + i] = working[i];
}

}  // namespace scriptlink

namespace scriptlink {

void TScriptlink::EditCommands() {
  TCommandListForm form(ScriptFolder(), CloseHost);
  EditCommands(form);
}

}  // namespace scriptlink
