#include "commands/command_table.h"

namespace scriptlink {

TCommandArray TCommandArray::WithBuiltins() {
  TCommandArray table;
  table.Append(MacroExecRecord());
  table.Append(HelpRecord());
  return table;
}

std::span<CommandRecord> TCommandArray::Grow(std::size_t count) {
  const std::size_t first = records_.size();
  records_.resize(first + count, EmptyCommandRecord());
  return std::span<CommandRecord>(records_.data() + first, count);
}

const CommandRecord* TCommandArray::FindCommand(std::uint32_t number) const {
  for (std::size_t i = records_.size(); i > kFirstUserSlot; --i) {
    if (records_[i - 1].command_number == number) return &records_[i - 1];
  }
  return nullptr;
}

}  // namespace scriptlink
