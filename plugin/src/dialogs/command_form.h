// TCommandForm: the command editor. It holds the plain editor logic of the
// prompt interface and shows itself through the front end in force.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <platform/command_dialogs.h>

#include "commands/command_entry.h"

namespace scriptlink {

class TCommandForm {
 public:
  explicit TCommandForm(const std::string& script_folder);

  // The numbers offered; the first is selected.
  void SetNumbers(std::vector<std::uint32_t> numbers);
  // Edit: the record's fields into the form.
  void LoadRecord(const CommandRecord& record);
  // Shows the form modally; true when it closed with OK.
  bool Run();
  // After OK: the edited record, and whether the host must restart to learn it.
  CommandRecord Record() const { return ToCommandRecord(editor_.result()); }
  bool Changed() const noexcept { return editor_.changed(); }

  platform::prompt::CommandEditor& editor() noexcept { return editor_; }

 private:
  platform::prompt::CommandEditor editor_;
};

}  // namespace scriptlink
