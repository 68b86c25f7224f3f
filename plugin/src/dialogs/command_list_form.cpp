#include "dialogs/command_list_form.h"

#include <platform/module_resources.h>
#include <platform/prompt.h>

#include "controller/help_launcher.h"
#include "controller/plugin_globals.h"
#include "commands/command_entry.h"
#include "host_binding/host_api_table.h"

namespace scriptlink {

TCommandListForm::TCommandListForm(std::string script_folder, std::function<void()> close_host)
    : script_folder_(std::move(script_folder)), close_host_(std::move(close_host)) {}

bool TCommandListForm::ShowModal(TCommandArray& working) {
  needs_restart_ = false;
  close_requested_ = false;
  platform::prompt::CommandList list(ToCommandEntries(working), script_folder_);
  list.help = [](std::string_view page) { ShowHelp(0, PluginPath(), std::string(page)); };
  list.icon_module = platform::module_containing(reinterpret_cast<const void*>(&CloseHost));
  if (!platform::prompt::front_end().command_list(list)) return false;
  working = ToCommandRecords(list.entries(), working);
  needs_restart_ = list.restart_needed();
  close_requested_ = list.close_host();
  return true;
}

void TCommandListForm::Saved() {
  if (close_requested_ && close_host_) close_host_();
}

void CloseHost() {
  const char* const no_arguments[] = {nullptr};
  Host().Command(0, "Close", 0, 0, no_arguments);
}

}  // namespace scriptlink
