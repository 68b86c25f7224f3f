// File links of an item: a path or an address, opened with its program.
#include <memory>

#include <platform/paths.h>
#include <platform/shell.h>

#include "api/api_support.h"

using namespace zentrella;
using namespace zentrella::api;

namespace {

struct LinkBlock : HandedOut {
  ZtlLinkedFileInfo info{};
};

Handle new_link(ZtlHandle item, std::optional<std::size_t> position) {
  if (s().store().item(item) == nullptr) return 0;
  const Handle made = s().store().create_link(item, position).handle;
  s().touch(item);
  return made;
}

bool is_address(const std::string& name) {
  for (const char* marker : {"http:", "https:", "ftp:", "www.", "mailto:", "file:"}) {
    if (name.rfind(marker, 0) == 0) return true;
  }
  return false;
}

// A relative path is taken from the folder of the project's file.
std::string open_target(const FileLink& link) {
  const std::string& name = link.data.file_name;
  if (name.empty() || is_address(name) || name.front() == '/') return name;
  const std::string file = s().file_of(s().project_of(link.owner));
  return file.empty() ? name : platform::paths::make_absolute(name, platform::paths::folder_of(file));
}

}  // namespace

extern "C" ZtlHandle ZTLPlugin_AddLinkedFile(ZtlHandle item) {
  return guarded<ZtlHandle>("AddLinkedFile", 0, [&] { return new_link(item, std::nullopt); });
}

extern "C" ZtlHandle ZTLPlugin_InsertLinkedFile(ZtlHandle item, int32_t position) {
  return guarded<ZtlHandle>("InsertLinkedFile", 0, [&] {
    return new_link(item, position < 0 ? std::nullopt : std::optional<std::size_t>(position));
  });
}

extern "C" ZtlBool ZTLPlugin_DeleteLinkedFile(ZtlHandle link) {
  return guarded<ZtlBool>("DeleteLinkedFile", ZTL_FALSE, [&] {
    const FileLink* found = s().store().link(link);
    if (found == nullptr) return ZTL_FALSE;
    const Handle owner = found->owner;
    s().store().destroy_link(link);
    s().touch(owner);
    return ZTL_TRUE;
  });
}

extern "C" ZtlLinkedFileInfo* ZTLPlugin_GetLinkedFileInfo(ZtlHandle link) {
  return guarded<ZtlLinkedFileInfo*>("GetLinkedFileInfo", nullptr, [&]() -> ZtlLinkedFileInfo* {
    const FileLink* found = s().store().link(link);
    if (found == nullptr) return nullptr;
    auto block = std::make_unique<LinkBlock>();
    copy_field(block->info.title, found->data.title);
    copy_field(block->info.file_name, found->data.file_name);
    copy_field(block->info.option, found->data.option);
    copy_field(block->info.work_dir, found->data.work_dir);
    ZtlLinkedFileInfo* address = &block->info;
    hand_out(RecordKind::linked_file_info, std::move(block), address);
    return address;
  });
}

extern "C" ZtlBool ZTLPlugin_SetLinkedFileInfo(ZtlHandle link, const ZtlLinkedFileInfo* info) {
  return guarded<ZtlBool>("SetLinkedFileInfo", ZTL_FALSE, [&] {
    FileLink* found = s().store().link(link);
    if (found == nullptr || info == nullptr) return ZTL_FALSE;
    auto take = [](const char* field, std::size_t capacity) { return cut_text(field_text(field, capacity), capacity - 1); };
    found->data.title = take(info->title, sizeof info->title);
    found->data.file_name = take(info->file_name, sizeof info->file_name);
    found->data.option = take(info->option, sizeof info->option);
    found->data.work_dir = take(info->work_dir, sizeof info->work_dir);
    s().touch(found->owner);
    return ZTL_TRUE;
  });
}

extern "C" void ZTLPlugin_FreeLinkedFileInfo(ZtlLinkedFileInfo* info) {
  guarded_void("FreeLinkedFileInfo", [&] { take_back(RecordKind::linked_file_info, info); });
}

extern "C" ZtlBool ZTLPlugin_AssignLinkedFile(ZtlHandle target, ZtlHandle source) {
  return guarded<ZtlBool>("AssignLinkedFile", ZTL_FALSE, [&] {
    FileLink* into = s().store().link(target);
    const FileLink* from = s().store().link(source);
    if (into == nullptr || from == nullptr) return ZTL_FALSE;
    into->data = from->data;
    s().touch(into->owner);
    return ZTL_TRUE;
  });
}

extern "C" ZtlBool ZTLPlugin_ExecLinekdFile(ZtlHandle link) {
  return guarded<ZtlBool>("ExecLinekdFile", ZTL_FALSE, [&] {
    const FileLink* found = s().store().link(link);
    if (found == nullptr || found->data.file_name.empty()) return ZTL_FALSE;
    platform::shell::open(open_target(*found));
    return ZTL_TRUE;
  });
}
