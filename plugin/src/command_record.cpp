#include "command_record.h"

#include <cstring>

namespace scriptlink {

CommandRecord EmptyCommandRecord() {
  CommandRecord record;
  std::memset(&record, 0, sizeof record);
  return record;
}

CommandRecord MacroExecRecord() {
  CommandRecord record = EmptyCommandRecord();
  record.SetCaption("Rubyマクロ実行");
  record.SetCommandName("Scriptlink_MacroExec");
  record.command_number = kMacroExecCommandNumber;
  record.icon_number = 1;
  return record;
}

CommandRecord HelpRecord() {
  CommandRecord record = EmptyCommandRecord();
  record.SetCaption("Scriptlinkヘルプ");
  record.SetCommandName("Scriptlink_Help");
  record.command_number = kHelpCommandNumber;
  record.icon_number = 2;
  return record;
}

std::string UserCommandName(std::uint32_t number) {
  return "Scriptlink_ExtCommand" + std::to_string(number);
}

}  // namespace scriptlink
