#include "commands/command_entry.h"

#include <platform/codepage.h>

namespace scriptlink {

namespace codepage = platform::codepage;
using platform::prompt::CommandEntry;

CommandEntry ToCommandEntry(const CommandRecord& record) {
  CommandEntry entry;
  entry.number = record.command_number;
  entry.caption = codepage::to_utf8(record.Caption());
  entry.script = codepage::to_utf8(record.ScriptFile());
  entry.options = codepage::to_utf8(record.ScriptOptions());
  entry.output = codepage::to_utf8(record.OutputFile());
  entry.copy_to_clipboard = record.CopyToClipboard();
  entry.hide_console = record.HideConsole();
  entry.type = record.command_type;
  entry.icon = record.icon_number;
  return entry;
}

CommandRecord ToCommandRecord(const CommandEntry& entry) {
  CommandRecord record = EmptyCommandRecord();
  record.command_number = entry.number;
  record.SetCaption(codepage::from_utf8(entry.caption));
  record.SetCommandName(UserCommandName(entry.number));
  record.SetScriptFile(codepage::from_utf8(entry.script));
  record.SetScriptOptions(codepage::from_utf8(entry.options));
  record.SetOutputFile(codepage::from_utf8(entry.output));
  record.SetFlags(entry.copy_to_clipboard, entry.hide_console);
  record.command_type = static_cast<std::int16_t>(entry.type);
  record.icon_number = entry.icon;
  return record;
}

std::vector<CommandEntry> ToCommandEntries(const TCommandArray& records) {
  std::vector<CommandEntry> entries;
  entries.reserve(records.size());
  for (const CommandRecord& record : records) entries.push_back(ToCommandEntry(record));
  return entries;
}

TCommandArray ToCommandRecords(const std::vector<CommandEntry>& edited, const TCommandArray& original) {
  const std::vector<CommandEntry> before = ToCommandEntries(original);
  std::vector<bool> reused(original.size(), false);
  TCommandArray records;
  for (const CommandEntry& entry : edited) {
    std::size_t i = 0;
    while (i < original.size() && (reused[i] || !(before[i] == entry))) ++i;
    if (i < original.size()) {
      reused[i] = true;
      records.Append(original[i]);
    } else {
      records.Append(ToCommandRecord(entry));
    }
  }
  return records;
}

}  // namespace scriptlink
