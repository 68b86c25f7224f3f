// File links of an item: a path or an address, opened with its program.
#include <algorithm>
#include <cctype>
#include <memory>
#include <optional>
#include <string_view>
#include <sys/stat.h>

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

// Schemes are matched as the desktop matches them, in any case.
bool is_address(const std::string& name) {
  for (std::string_view marker : {"http:", "https:", "ftp:", "www.", "mailto:", "file:"}) {
    if (name.size() >= marker.size() &&
        std::equal(marker.begin(), marker.end(), name.begin(),
                   [](char a, char b) { return a == std::tolower(static_cast<unsigned char>(b)); }))
      return true;
  }
  return false;
}

bool is_folder(const std::string& path) {
  struct stat status {};
  return ::stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

// What the link starts; nothing for an empty name, a path that names nothing
// or a working folder that is not one: the desktop would only show an error.
// A bare "www." address is opened as a web address.
std::optional<platform::shell::Launch> launch_of(const FileLink& link) {
  const FileLinkData& data = link.data;
  if (data.file_name.empty()) return std::nullopt;
  platform::shell::Launch launch;
  launch.option = data.option;
  launch.folder = path_from_project(link.owner, data.work_dir);
  if (!launch.folder.empty() && !is_folder(launch.folder)) return std::nullopt;
  if (is_address(data.file_name)) {
    const bool bare = std::tolower(static_cast<unsigned char>(data.file_name[0])) == 'w';
    launch.target = bare ? "http://" + data.file_name : data.file_name;
    return launch;
  }
  launch.target = path_from_project(link.owner, data.file_name);
  if (!platform::paths::file_exists(launch.target) && !is_folder(launch.target)) return std::nullopt;
  if (launch.folder.empty()) launch.folder = platform::paths::folder_of(launch.target);
  return launch;
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
  return guarded<ZtlBool>("ExecLinekdFile", ZTL_FALSE, [&]() -> ZtlBool {
    const FileLink* found = s().store().link(link);
    if (found == nullptr) return ZTL_FALSE;
    const std::optional<platform::shell::Launch> launch = launch_of(*found);
    return truth(launch.has_value() && platform::shell::open_with(*launch));
  });
}
