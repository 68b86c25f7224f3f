#include "cli/options.h"

#include <cerrno>
#include <cstdlib>

namespace zentrella::cli {

namespace {

class Cursor {
 public:
  explicit Cursor(const std::vector<std::string>& arguments) : arguments_(arguments) {}
  bool done() const { return at_ >= arguments_.size(); }
  const std::string& next() { return arguments_[at_++]; }
  std::string value_for(const std::string& option) {
    if (done()) throw UsageError("option " + option + " needs a value");
    return next();
  }

 private:
  const std::vector<std::string>& arguments_;
  std::size_t at_ = 0;
};

unsigned parse_number(const std::string& text) {
  errno = 0;
  char* end = nullptr;
  const unsigned long value = std::strtoul(text.c_str(), &end, 10);
  if (text.empty() || *end != '\0' || text[0] == '-' || errno != 0 || value > 0xFFFFFFFFul) {
    throw UsageError("exec needs a command number, not \"" + text + "\"");
  }
  return static_cast<unsigned>(value);
}

void parse_run(Cursor& cursor, Options& options) {
  while (!cursor.done()) {
    const std::string arg = cursor.next();
    if (arg == "--options") {
      options.run.options = cursor.value_for(arg);
    } else if (arg == "--output") {
      options.run.output = cursor.value_for(arg);
    } else if (arg == "--clipboard") {
      options.run.clipboard = true;
    } else if (arg == "--hide-console") {
      options.run.hide_console = true;
    } else if (arg.rfind("--", 0) == 0) {
      throw UsageError("unknown option for run: " + arg);
    } else if (options.run.script.empty()) {
      options.run.script = arg;
    } else {
      throw UsageError("run takes one script, got another: " + arg);
    }
  }
  if (options.run.script.empty()) throw UsageError("run needs a script");
}

void parse_command(Cursor& cursor, Options& options) {
  const std::string& command = options.command;
  if (command == "run") return parse_run(cursor, options);
  if (command == "command") {
    while (!cursor.done()) options.command_arguments.push_back(cursor.next());
    return;
  }
  if (command == "exec") {
    if (cursor.done()) throw UsageError("exec needs a command number");
    options.exec_number = parse_number(cursor.next());
  } else if (command != "commands" && command != "version" && command != "station" && command != "clipboard" &&
             command != "desktop") {
    throw UsageError("unknown command: " + command);
  }
  if (!cursor.done()) throw UsageError("unexpected argument after " + command + ": " + cursor.next());
}

}  // namespace

Options parse_options(const std::vector<std::string>& arguments) {
  Options options;
  Cursor cursor(arguments);
  while (!cursor.done()) {
    const std::string arg = cursor.next();
    if (arg == "--help" || arg == "-h") {
      options.help = true;
      return options;
    } else if (arg == "--user-folder") {
      options.user_folder = cursor.value_for(arg);
    } else if (arg == "--project") {
      options.projects.push_back(cursor.value_for(arg));
    } else if (arg == "--plugin") {
      options.plugin = cursor.value_for(arg);
    } else if (arg == "--codepage") {
      options.codepage = cursor.value_for(arg);
      if (*options.codepage != "utf-8" && *options.codepage != "932") {
        throw UsageError("--codepage takes utf-8 or 932, not \"" + *options.codepage + "\"");
      }
    } else if (arg == "--ui") {
      options.ui = cursor.value_for(arg);
      if (*options.ui != "desktop" && *options.ui != "terminal") {
        throw UsageError("--ui takes desktop or terminal, not \"" + *options.ui + "\"");
      }
    } else if (arg == "--no-station") {
      options.no_station = true;
    } else if (arg.rfind("-", 0) == 0) {
      throw UsageError("unknown option: " + arg);
    } else {
      options.command = arg;
      parse_command(cursor, options);
      return options;
    }
  }
  // No command: the main window when a display is reachable (host_main decides).
  return options;
}

const char* usage_text() {
  return "usage: zentrella [OPTION]... [COMMAND]\n"
         "\n"
         "Options:\n"
         "  --user-folder DIR   the user folder (default: $XDG_DATA_HOME/zentrella/)\n"
         "  --project FILE      open a project file (may be repeated; default: default.json\n"
         "                      in the user folder, made from the sample on first use)\n"
         "  --plugin PATH       the plug-in to load (default: Scriptlink.so beside zentrella)\n"
         "  --codepage CP       utf-8 or 932: the code page of host texts\n"
         "  --no-station        do not serve scripts started outside the host\n"
         "  --ui desktop|terminal  where prompts and dialogs are shown (default: the desktop\n"
         "                      when a display is reachable, else the terminal; scripted\n"
         "                      answers whenever ZTL_PROMPT_ANSWERS is set)\n"
         "  --help              show this text\n"
         "\n"
         "Commands:\n"
         "  commands            list the plug-in's commands (number, name, caption, icon, type)\n"
         "  version             show the host's and the plug-in's versions\n"
         "  run SCRIPT [--options TEXT] [--output FILE] [--clipboard] [--hide-console]\n"
         "                      run a script through the plug-in\n"
         "  exec N              run the plug-in's command number N\n"
         "  station             serve external scripts until interrupted (Ctrl-C)\n"
         "  clipboard           print the clipboard's text\n"
         "  desktop             open the main window on the projects (the default when\n"
         "                      a display is reachable)\n"
         "  command list        list the user commands (number, caption, script, options, output)\n"
         "  command add SCRIPT [--number N] [--caption TEXT] [--options TEXT] [--output FILE]\n"
         "          [--clipboard] [--hide-console] [--type 0-3] [--icon 10-36|none]\n"
         "                      add a user command (the lowest free number from 10 unless\n"
         "                      given; paths relative to the script folder); prints its number\n"
         "  command remove N    remove user command N\n"
         "  command edit        the command list dialog (a desktop, or scripted answers)\n"
         "                      User commands reach the host's command list at its next start.\n";
}

}  // namespace zentrella::cli
