#include "commands/command_record.h"

#include <cstring>

namespace scriptlink {

CommandRecord EmptyCommandRecord() {
  CommandRecord record;
  std::memset(&record, 0, sizeof record);
  return record;
}

namespace {

CommandRecord BuiltinRecord(std::string_view caption, std::string_view name, std::uint32_t number, std::int32_t icon) {
  CommandRecord record = EmptyCommandRecord();
  record.SetCaption(caption);
  record.SetCommandName(name);
  record.command_number = number;
  record.icon_number = icon;
  return record;
}

}  // namespace

CommandRecord MacroExecRecord() {
  return BuiltinRecord("Rubyマクロ実行", "Scriptlink_MacroExec", kMacroExecCommandNumber, 1);
}

CommandRecord HelpRecord() { return BuiltinRecord("Scriptlinkヘルプ", "Scriptlink_Help", kHelpCommandNumber, 2); }

std::string UserCommandName(std::uint32_t number) {
  return "Scriptlink_ExtCommand" + std::to_string(number);
}

}  // namespace scriptlink
