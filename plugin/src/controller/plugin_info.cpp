#include "controller/plugin_info.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <string_view>

namespace scriptlink {

namespace {

struct InfoDeleter {
  void operator()(ZtlPluginInfo* info) const noexcept { FreePluginInfo(info); }
};
using InfoOwner = std::unique_ptr<ZtlPluginInfo, InfoDeleter>;

template <typename T>
T* AllocateZeroed(std::size_t count = 1) {
  void* memory = std::calloc(count, sizeof(T));
  if (memory == nullptr) throw std::bad_alloc();
  return static_cast<T*>(memory);
}

char* CopyText(std::string_view text, std::size_t allocation) {
  char* copy = AllocateZeroed<char>(allocation);
  std::memcpy(copy, text.data(), std::min(text.size(), allocation - 1));
  return copy;
}

void FillEntry(ZtlCommandEntry& entry, const CommandRecord& record) {
  entry.name = CopyText(record.CommandName(), kEntryTextSize);
  entry.caption = CopyText(record.Caption(), kEntryTextSize);
  entry.number = record.command_number;
  entry.reserved = record.reserved;
  entry.icon = record.icon_number;
  entry.type = static_cast<std::uint16_t>(record.command_type);
}

}  // namespace

ZtlPluginInfo* BuildPluginInfo(const TCommandArray& table) {
  // The owner frees whatever part exists if an allocation fails half-way.
  InfoOwner info(AllocateZeroed<ZtlPluginInfo>());
  info->record_size = sizeof(ZtlPluginInfo);
  info->minus_one = -1;
  info->name = CopyText(kPluginName, std::strlen(kPluginName) + 1);
  info->commands = AllocateZeroed<ZtlCommandEntry*>(table.size() + 1);
  info->command_count = static_cast<std::int32_t>(table.size());
  for (std::size_t i = 0; i < table.size(); ++i) {
    info->commands[i] = AllocateZeroed<ZtlCommandEntry>();
    FillEntry(*info->commands[i], table[i]);
  }
  return info.release();
}

void FreePluginInfo(ZtlPluginInfo* info) noexcept {
  if (info == nullptr) return;
  if (info->commands != nullptr) {
    for (std::int32_t i = 0; i < info->command_count; ++i) {
      ZtlCommandEntry* entry = info->commands[i];
      if (entry == nullptr) continue;
      std::free(entry->caption);
      std::free(entry->name);
      std::free(entry);
    }
    std::free(info->commands);
  }
  std::free(info->name);
  std::free(info);
}

}  // namespace scriptlink
