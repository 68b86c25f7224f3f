// zentrella command list|add|remove|edit: the plug-in's user commands.
#pragma once

#include <string>
#include <vector>

namespace zentrella::cli {

// Runs the subcommand in arguments on the command file of the user folder;
// plugin_path names the plug-in whose icons the edit dialog shows. Returns
// the exit code; throws UsageError for arguments it cannot take.
int run_command_cli(const std::vector<std::string>& arguments, const std::string& user_folder,
                    const std::string& plugin_path);

}  // namespace zentrella::cli
