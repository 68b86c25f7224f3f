// TCommandListForm: the command list dialog behind EditCommands. It holds the
// plain list logic of the prompt interface (whose Add and Edit open the
// command editor) and shows itself through the front end in force.
#pragma once

#include <functional>
#include <string>

#include "commands/command_table.h"
#include "controller/scriptlink.h"

namespace scriptlink {

class TCommandListForm : public CommandListDialog {
 public:
  // close_host runs the host's "Close" command; the form calls it after the
  // working list was saved, when the user chose to end the host for a restart.
  TCommandListForm(std::string script_folder, std::function<void()> close_host);

  bool ShowModal(TCommandArray& working) override;
  bool NeedsRestart() const override { return needs_restart_; }
  void Saved() override;

 private:
  std::string script_folder_;
  std::function<void()> close_host_;
  bool needs_restart_ = false;
  bool close_requested_ = false;
};

// Asks the host to run its command "Close" (which ends it after the command).
void CloseHost();

}  // namespace scriptlink
