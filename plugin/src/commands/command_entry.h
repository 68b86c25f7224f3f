// A user command record as the command dialogs show it, and back: texts in
// UTF-8 there, in the code page in the record.
#pragma once

#include <vector>

#include <platform/command_dialogs.h>

#include "commands/command_record.h"
#include "commands/command_table.h"

namespace scriptlink {

// Paths stay as stored (relative to the script folder).
platform::prompt::CommandEntry ToCommandEntry(const CommandRecord& record);
// A user command record: its command name follows its number, flag bits
// other than the two are 0. Throws TextTooLong for a text its field cannot hold.
CommandRecord ToCommandRecord(const platform::prompt::CommandEntry& entry);

std::vector<platform::prompt::CommandEntry> ToCommandEntries(const TCommandArray& records);
// The records of an edited list. A command the dialog left as it was keeps
// its record from `original` byte for byte (a text of the file that the code
// page cannot show would not come back from UTF-8 the same); the others are
// made anew.
TCommandArray ToCommandRecords(const std::vector<platform::prompt::CommandEntry>& edited,
                               const TCommandArray& original);

}  // namespace scriptlink
