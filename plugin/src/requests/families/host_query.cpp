#include "handlers/host_query_handlers.h"

#include <array>
#include <cstring>
#include <string>
#include <vector>

#include <platform/process.h>

#include "handlers/refresh.h"
#include "host_records.h"
#include "plugin_version.h"

namespace scriptlink {

namespace {

enum Selector : std::int32_t {
  kCurrentItem = 0,
  kCurrentProject,
  kCurrentFolder,
  kRecycleBin,
  kFindProject,
  kTemplateProject,
  kScrapProject,
  kFirstSelected,
  kCurrentDocument,
  kSelectedItems,
  kListViewItems,
  kLoadedProjects,
};

ZtlHandle SingleHandle(const HostApi& host, std::int32_t selector) {
  switch (selector) {
    case kCurrentItem: return host.GetCurrnetItem();
    case kCurrentProject: return host.GetCurrentProject();
    case kCurrentFolder: return host.GetCurrentFolder();
    case kRecycleBin: return host.GetRecycled();
    case kFindProject: return host.GetFindProject();
    case kTemplateProject: return host.GetTemplateProject();
    case kScrapProject: return host.GetScrapProject();
    case kFirstSelected: return TakeItemEntries(host, host.GetSelectedItems()).first();
    case kCurrentDocument: return host.GetCurrentDescription();
    default: return 0;
  }
}

ItemEntries ItemList(const HostApi& host, std::int32_t selector) {
  switch (selector) {
    case kSelectedItems: return TakeItemEntries(host, host.GetSelectedItems());
    case kListViewItems: return TakeItemEntries(host, host.GetListViewItems());
    default: return TakeItemEntries(host, host.GetLoadedProjects());
  }
}

constexpr int kCommandArguments = 10;

}  // namespace

std::int32_t VersionNumber(std::uint32_t high, std::uint32_t low) noexcept {
  const std::uint32_t number = ((high >> 16) * 100u + (high & 0xFFFFu)) * 100u + (low >> 16);
  return static_cast<std::int32_t>(number);
}

void HandleSpecialItem(RequestContext& context) {
  const std::int32_t selector = context.payload().word();
  const HostApi& host = context.host();
  if (selector < kSelectedItems || selector > kLoadedProjects) {
    context.reply_word(static_cast<std::int32_t>(SingleHandle(host, selector)));
    return;
  }
  ItemEntries list = ItemList(host, selector);
  if (!list.present()) {
    context.reply_word(0);
    return;
  }
  const auto entries = list.entries();
  ReplyWriter writer;
  writer.reserve((entries.size() + 1) * 4);
  for (ZtlHandle item : entries) writer.handle(item);
  writer.handle(0);
  context.reply(writer);
  // The list goes back to the host when `list` leaves, after the reply.
}

void HandleUpdateBracket(RequestContext& context) {
  if (context.payload().word() != 0)
    BeginUpdate(context.env(), context.state());
  else
    EndUpdate(context.env(), context.state());
  context.reply_empty();
}

void HandleExecCommand(RequestContext& context) {
  PayloadReader reader = context.payload();
  const std::string name(reader.text());
  std::array<std::string, kCommandArguments> arguments;
  for (std::string& argument : arguments) argument = reader.text();
  std::array<const char*, kCommandArguments + 1> pointers{};
  for (int i = 0; i < kCommandArguments; ++i) pointers[i] = arguments[i].c_str();
  const std::int32_t shift = context.state().shift_flag ? -1 : 0;
  context.host().Command(0, name.c_str(), -1, shift, pointers.data());
  context.reply_word(1);
}

void HandleHostPath(RequestContext& context) {
  std::string path = platform::current_executable_path();
  const auto slash = path.rfind('/');
  path.erase(slash == std::string::npos ? 0 : slash + 1);
  context.reply_text(path);
}

void HandleUserFolder(RequestContext& context) {
  std::array<char, ZTL_USER_FOLDER_MAX + 1> buffer{};
  context.host().GetUserFolderName(buffer.data(), ZTL_USER_FOLDER_MAX);
  buffer.back() = '\0';  // whatever the host wrote, the text ends inside the buffer
  context.reply_text(buffer.data());
}

void HandleHostVersion(RequestContext& context) {
  std::uint32_t high = 0;
  std::uint32_t low = 0;
  context.host().GetVersion(&high, &low);
  context.reply_word(VersionNumber(high, low));
}

void HandlePluginVersion(RequestContext& context) {
  const platform::FileVersion version =
      context.env().plugin_version ? context.env().plugin_version() : PluginVersion();
  context.reply_word(VersionNumber(version.high, version.low));
}

void HandleSetFocusPane(RequestContext& context) {
  const std::int32_t pane = context.payload().word() & 0xFF;
  context.host().SetActiveControl(pane);
  context.reply_word(1);
}

void HandleExecShift(RequestContext& context) {
  context.state().shift_flag = (context.payload().word() & 0xFF) != 0;
  context.reply_word(1);
}

void HandleFocusPane(RequestContext& context) { context.reply_word(context.host().GetActiveControl() & 0x7F); }

}  // namespace scriptlink
