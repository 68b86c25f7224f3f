#include "requests/families/host_query.h"

#include <array>
#include <cstring>
#include <string>
#include <vector>

#include <platform/process.h>
#include <ztl/payloads.h>

#include "requests/refresh.h"
#include "host_binding/host_records.h"
#include "controller/plugin_version.h"

namespace scriptlink {

namespace {


ZtlHandle SingleHandle(const HostApi& host, std::int32_t selector) {
  switch (selector) {
    case ZTL_SELECT_CURRENT_ITEM: return host.GetCurrnetItem();
    case ZTL_SELECT_CURRENT_PROJECT: return host.GetCurrentProject();
    case ZTL_SELECT_CURRENT_FOLDER: return host.GetCurrentFolder();
    case ZTL_SELECT_RECYCLED: return host.GetRecycled();
    case ZTL_SELECT_FIND_PROJECT: return host.GetFindProject();
    case ZTL_SELECT_TEMPLATE_PROJECT: return host.GetTemplateProject();
    case ZTL_SELECT_SCRAP_PROJECT: return host.GetScrapProject();
    case ZTL_SELECT_SELECTED_TOP: return TakeSelectedItems(host).first();
    case ZTL_SELECT_CURRENT_DOCUMENT: return host.GetCurrentDescription();
    default: return 0;
  }
}

ItemEntries ItemList(const HostApi& host, std::int32_t selector) {
  switch (selector) {
    case ZTL_SELECT_SELECTED_ITEMS: return TakeSelectedItems(host);
    case ZTL_SELECT_DISPLAYED_ITEMS: return TakeItemEntries(host, host.GetListViewItems());
    default: return TakeItemEntries(host, host.GetLoadedProjects());
  }
}

}  // namespace

std::int32_t VersionNumber(std::uint32_t high, std::uint32_t low) noexcept {
  const std::uint32_t number = ((high >> 16) * 100u + (high & 0xFFFFu)) * 100u + (low >> 16);
  return static_cast<std::int32_t>(number);
}

void HandleSpecialItem(RequestContext& context) {
  const std::int32_t selector = context.payload().word();
  const HostApi& host = context.host();
  if (selector < ZTL_SELECT_SELECTED_ITEMS || selector > ZTL_SELECT_LOADED_PROJECTS) {
    context.reply_word(static_cast<std::int32_t>(SingleHandle(host, selector)));
    return;
  }
  ItemEntries list = ItemList(host, selector);
  if (!list.present()) {
    context.reply_word(0);
    return;
  }
  context.reply_item_list(list.entries());
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
  std::array<std::string, ZTL_EXEC_COMMAND_ARGUMENTS> arguments;
  for (std::string& argument : arguments) argument = reader.text();
  std::array<const char*, ZTL_EXEC_COMMAND_ARGUMENTS + 1> pointers{};
  for (int i = 0; i < ZTL_EXEC_COMMAND_ARGUMENTS; ++i) pointers[i] = arguments[i].c_str();
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
