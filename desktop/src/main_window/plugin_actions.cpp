#include "main_window/plugin_actions.h"

#include "main_window/host_text.h"

namespace desktop {

std::vector<PluginCommand> plugin_commands(const ZtlPluginInfo* info) {
  std::vector<PluginCommand> commands;
  if (info == nullptr || info->commands == nullptr) return commands;
  ZtlCommandEntry* const* entries = info->commands;
  for (std::int32_t i = 0; i < info->command_count && entries[i] != nullptr; ++i) {
    const ZtlCommandEntry* entry = entries[i];
    const char* name = entry->name;
    const char* caption = entry->caption;
    commands.push_back({entry->number, from_host(name != nullptr ? name : ""),
                        from_host(caption != nullptr ? caption : ""), entry->icon, entry->type});
  }
  return commands;
}

// The plug-in's module resources are not read yet: the commands show their
// captions alone.
QIcon command_icon(std::int32_t /*icon*/) { return {}; }

QAction* make_command_action(const PluginCommand& command, QObject* parent) {
  auto* action = new QAction(command_icon(command.icon), command.caption, parent);
  action->setObjectName(command.name);
  action->setData(command.number);
  action->setToolTip(QString(command.caption).remove('&'));
  return action;
}

}  // namespace desktop
