// TCommandArray: the growable array of command records. The live command
// table holds the two built-ins in slots 0 and 1 and the user commands after
// them; the command list dialog's working list holds user commands only.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "commands/command_record.h"

namespace scriptlink {

class TCommandArray {
 public:
  TCommandArray() = default;

  // A table holding only the two built-in records.
  static TCommandArray WithBuiltins();

  std::size_t size() const noexcept { return records_.size(); }
  bool empty() const noexcept { return records_.empty(); }
  CommandRecord& operator[](std::size_t i) { return records_[i]; }
  const CommandRecord& operator[](std::size_t i) const { return records_[i]; }
  auto begin() { return records_.begin(); }
  auto end() { return records_.end(); }
  auto begin() const { return records_.begin(); }
  auto end() const { return records_.end(); }

  void Append(const CommandRecord& record) { records_.push_back(record); }
  void Erase(std::size_t i) { records_.erase(records_.begin() + static_cast<std::ptrdiff_t>(i)); }
  void Clear() { records_.clear(); }
  // Appends count zero-filled records and returns them as one contiguous run.
  std::span<CommandRecord> Grow(std::size_t count);

  // The user record with this number, searched from slot 2 on (the built-ins
  // are never returned); when several carry it, the one nearest the end.
  const CommandRecord* FindCommand(std::uint32_t number) const;

 private:
  std::vector<CommandRecord> records_;
};

// Index of the first user command in the live table.
inline constexpr std::size_t kFirstUserSlot = 2;

}  // namespace scriptlink
