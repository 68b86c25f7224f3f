#include "launcher/output_delivery.h"

#include <platform/atomic_file.h>
#include <platform/clipboard.h>
#include <platform/paths.h>
#include <platform/shell.h>

namespace scriptlink {

OutputTarget ResolveOutputTarget(const std::string& output_file, const std::string& user_folder) {
  if (platform::paths::stem_of(output_file) != "*") return {output_file, false};
  return {user_folder + "Temp" + platform::paths::extension_of(output_file), true};
}

void DeliverOutput(const std::string& output, const OutputSettings& settings, const std::string& user_folder) {
  if (settings.copy_to_clipboard) {
    platform::clipboard::set_text(output);
    return;
  }
  if (settings.output_file.empty()) return;
  const OutputTarget target = ResolveOutputTarget(settings.output_file, user_folder);
  platform::write_file_atomically(target.path, output);
  if (target.open_afterwards) platform::shell::open(target.path);
}

}  // namespace scriptlink
