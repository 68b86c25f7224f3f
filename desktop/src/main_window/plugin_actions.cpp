#include "main_window/plugin_actions.h"

#include <QImage>
#include <QPixmap>
#include <optional>

#include <platform/module_resources.h>

#include "main_window/host_text.h"

namespace desktop {

std::vector<PluginCommand> plugin_commands(const ZtlPluginInfo* info, void* module) {
  std::vector<PluginCommand> commands;
  if (info == nullptr || info->commands == nullptr) return commands;
  ZtlCommandEntry* const* entries = info->commands;
  for (std::int32_t i = 0; i < info->command_count && entries[i] != nullptr; ++i) {
    const ZtlCommandEntry* entry = entries[i];
    const char* name = entry->name;
    const char* caption = entry->caption;
    commands.push_back({entry->number, from_host(name != nullptr ? name : ""),
                        from_host(caption != nullptr ? caption : ""), entry->icon, entry->type,
                        command_icon(module, entry->icon)});
  }
  return commands;
}

QIcon command_icon(void* module, std::int32_t icon) {
  constexpr std::uint32_t kTransparent = 0x800080;
  if (module == nullptr || icon < 0) return {};
  const std::optional<platform::Bitmap> bitmap = platform::load_bitmap(module, icon);
  if (!bitmap) return {};
  QImage image(bitmap->width, bitmap->height, QImage::Format_ARGB32);
  for (int y = 0; y < bitmap->height; ++y) {
    for (int x = 0; x < bitmap->width; ++x) {
      const std::uint32_t rgb = bitmap->pixels[static_cast<std::size_t>(y * bitmap->width + x)];
      image.setPixel(x, y, rgb == kTransparent ? 0u : 0xff000000u | rgb);
    }
  }
  return QIcon(QPixmap::fromImage(image));
}

QAction* make_command_action(const PluginCommand& command, QObject* parent) {
  auto* action = new QAction(command.picture, command.caption, parent);
  action->setObjectName(command.name);
  action->setData(command.number);
  action->setToolTip(QString(command.caption).remove('&'));
  return action;
}

}  // namespace desktop
