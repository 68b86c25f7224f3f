#include "dialogs/command_form.h"

#include <platform/module_resources.h>
#include <platform/prompt.h>

#include "controller/help_launcher.h"
#include "controller/plugin_globals.h"

namespace scriptlink {

TCommandForm::TCommandForm(const std::string& script_folder) : editor_(script_folder) {
  editor_.help = [](std::string_view page) { ShowHelp(0, PluginPath(), std::string(page)); };
  editor_.icon_module = platform::module_containing(reinterpret_cast<const void*>(&ToCommandRecord));
}

void TCommandForm::SetNumbers(std::vector<std::uint32_t> numbers) { editor_.offer_numbers(std::move(numbers)); }

void TCommandForm::LoadRecord(const CommandRecord& record) { editor_.load(ToCommandEntry(record)); }

bool TCommandForm::Run() { return platform::prompt::front_end().command_editor(editor_); }

}  // namespace scriptlink
