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

  // The host knows the table's length and numbers from start-up, so the live
  // table keeps them: each live command takes the edited record of its own
  // number. By position, a deleted command would shift the records, and a
  // run of the next number would find its old record after the edited one.
  // A deleted command keeps its old record until the restart (the host still
  // offers it); new numbers take effect at the next start.
  for (std::size_t slot = kFirstUserSlot; slot < commands_.size(); ++slot) {
    const std::uint32_t number = commands_[slot].command_number;
    const auto edited = std::find_if(working.begin(), working.end(),
                                     [number](const CommandRecord& record) { return record.command_number == number; });
    if (edited != working.end()) commands_[slot] = *edited;
  }
}

void TScriptlink::EditCommands() {
  TCommandListForm form(ScriptFolder(), CloseHost);
  EditCommands(form);
}

}  // namespace scriptlink
