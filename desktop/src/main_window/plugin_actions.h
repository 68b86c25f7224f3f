// The plug-in's commands as the window offers them: one action each, in the
// order of the plug-in's info record, with its caption and icon.
#pragma once

#include <QAction>
#include <QIcon>
#include <cstdint>
#include <vector>

#include <zentrella/plugin_abi.h>

namespace desktop {

struct PluginCommand {
  std::uint32_t number = 0;
  QString name;
  QString caption;
  std::int32_t icon = -1;
  std::uint16_t type = 0;
  QIcon picture;  // the icon number's bitmap; null when there is none
};

// The commands of an info record (none for a null record); a record is read
// up to its count or its first null entry, whichever comes first. Their
// pictures come from the bitmap resources of `module`, the plug-in's handle.
std::vector<PluginCommand> plugin_commands(const ZtlPluginInfo* info, void* module = nullptr);

// The bitmap resource of a command's icon number in `module`, with its purple
// (128, 0, 128) transparent; a null icon for -1, an unknown number or no module.
QIcon command_icon(void* module, std::int32_t icon);

// Every command action is made here: the object name is the command's name,
// the data its number.
QAction* make_command_action(const PluginCommand& command, QObject* parent);

}  // namespace desktop
