// The host commands that plug-ins run by name (ZTLPlugin_Command), and the log
// of every command asked for, known or not.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace zentrella {

struct CommandRecord {
  std::string name;
  bool shift = false;
  std::vector<std::string> arguments;  // trailing empty arguments dropped
};

// Known: "NewTask", "NewFolder" (a child of the current folder, made
// current; argument 1 is its title), "Save", "Delete" (the selection, or the
// current item, to the recycle bin), "EmptyRecycleBin", "SelectAll" (the
// task list), "Close" (saves the projects and asks the host to end once the
// command in progress returns; see close_requested).
// Returns -1 when a known command ran, 0 otherwise.
std::int32_t run_host_command(const std::string& name, bool shift, const std::vector<std::string>& arguments);

// A name that is one of the loaded plug-in's command identifiers runs that
// plug-in command (also while a script of the plug-in runs); the command line
// installs the handler, which returns false for names it does not know.
void set_plugin_command_handler(std::function<bool(const std::string& name)> handler);

// "Save" calls this; the command line installs the project file writer.
void set_save_handler(std::function<void()> handler);

// True once "Close" ran: the host ends after the command it is running (a
// station stops serving); the projects were saved when it was asked.
bool close_requested();
void clear_close_request();

const std::vector<CommandRecord>& command_log();
void clear_command_log();

}  // namespace zentrella
