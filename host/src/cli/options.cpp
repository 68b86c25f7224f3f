#include "cli/options.h"

#include <cerrno>
#include <cstdlib>
#include <optional>
#include <utility>

namespace zentrella::cli {

namespace {

// Walks the arguments; "--name=value" is taken as "--name" followed by its value.
class Cursor {
 public:
  explicit Cursor(const std::vector<std::string>& arguments) : arguments_(arguments) {}
  bool done() const { return at_ >= arguments_.size(); }
  // The next argument as given, "--name=value" included (after "--", say).
  std::string raw() { return arguments_[at_++]; }
  // The next argument; of "--name=value" the name, the value kept for value_for.
  std::string next() {
    std::string arg = raw();
    const std::size_t equals = arg.find('=');
    if (arg.rfind("--", 0) == 0 && equals != std::string::npos) {
      attached_ = arg.substr(equals + 1);
      arg.resize(equals);
    }
    return arg;
  }
  std::string value_for(const std::string& option) {
    if (attached_) return *std::exchange(attached_, std::nullopt);
    if (done()) throw UsageError("option " + option + " needs a value");
    return raw();
  }
  // An option that takes no value must not have been given one.
  void no_value(const std::string& option) {
    if (attached_) throw UsageError("option " + option + " takes no value");
  }

 private:
  const std::vector<std::string>& arguments_;
  std::size_t at_ = 0;
  std::optional<std::string> attached_;
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

// "COMMAND --help" asks for that command's help, wherever it stands.
bool asks_for_help(const std::string& arg, Options& options) {
  if (arg != "--help" && arg != "-h") return false;
  options.help = true;
  options.help_topic = options.command;
  return true;
}

// Everything after "--" is the script's, each argument as it was given.
void append_script_arguments(Cursor& cursor, Options& options) {
  while (!cursor.done()) {
    std::string& text = options.run.options;
    if (!text.empty()) text += ' ';
    text += quote_argument(cursor.raw());
  }
}

void parse_run(Cursor& cursor, Options& options) {
  while (!cursor.done()) {
    const std::string arg = cursor.next();
    if (asks_for_help(arg, options)) return;
    if (arg == "--") {
      append_script_arguments(cursor, options);
    } else if (arg == "--options") {
      options.run.options = cursor.value_for(arg);
    } else if (arg == "--output") {
      options.run.output = cursor.value_for(arg);
    } else if (arg == "--clipboard") {
      cursor.no_value(arg);
      options.run.clipboard = true;
    } else if (arg == "--hide-console") {
      cursor.no_value(arg);
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

// Anything but --help after a command that takes no arguments is an error.
void parse_no_arguments(Cursor& cursor, Options& options) {
  if (cursor.done()) return;
  const std::string arg = cursor.next();
  if (asks_for_help(arg, options)) return;
  throw UsageError("unexpected argument after " + options.command + ": " + arg);
}

void parse_exec(Cursor& cursor, Options& options) {
  if (cursor.done()) throw UsageError("exec needs a command number");
  const std::string arg = cursor.next();
  if (asks_for_help(arg, options)) return;
  options.exec_number = parse_number(arg);
  parse_no_arguments(cursor, options);
}

void parse_help(Cursor& cursor, Options& options) {
  options.help = true;
  if (cursor.done()) return;
  options.help_topic = cursor.next();
  if (options.help_topic == "--help" || options.help_topic == "-h") options.help_topic = "help";
  command_help(options.help_topic);  // an unknown topic is a usage error now
  if (!cursor.done()) throw UsageError("help takes one command, got another: " + cursor.next());
}

// The words after command (list, add SCRIPT ...) and new (NAME, --force) are
// parsed by the command's runner; a first --help asks for its help.
void parse_command_words(Cursor& cursor, Options& options) {
  while (!cursor.done()) {
    const std::string arg = cursor.next();
    if (options.command_arguments.empty() && asks_for_help(arg, options)) return;
    options.command_arguments.push_back(arg);
  }
}

struct Command {
  const char* name;
  const char* synopsis;
  const char* summary;  // lines after the first are indented under it
  void (*parse)(Cursor&, Options&);
};

// One line per command: its name, how it is called, what it does, its arguments.
constexpr Command kCommands[] = {
    {"commands", "commands", "list the plug-in's commands (number, name, caption, icon, type)", parse_no_arguments},
    {"version", "version", "show the host's and the plug-in's versions", parse_no_arguments},
    {"run", "run SCRIPT [--options TEXT] [--output FILE] [--clipboard] [--hide-console] [-- ARG...]",
     "run a script through the plug-in; SCRIPT without a folder is looked for in\n"
     "the script folder, also as SCRIPT.rb; the ARGs after -- go to the script\n"
     "as they are, after the --options TEXT",
     parse_run},
    {"exec", "exec N", "run the plug-in's command number N", parse_exec},
    {"station", "station", "serve external scripts until interrupted (Ctrl-C)", parse_no_arguments},
    {"clipboard", "clipboard", "print the clipboard's text", parse_no_arguments},
    {"tree", "tree", "print the item trees of the projects: kind, title, progress, dates", parse_no_arguments},
    {"scripts", "scripts", "list the scripts of the script folder with their descriptions (name, tab,\n"
     "description)", parse_no_arguments},
    {"new", "new NAME [--force]", "write a new script from the template: NAME (\".rb\" added when it has no\n"
     "extension) in the script folder, or where a path with a folder puts it;\n"
     "prints its path; an existing file is kept unless --force", parse_command_words},
    {"desktop", "desktop", "open the main window on the projects (the default when no command is\n"
     "given and a display is reachable)", parse_no_arguments},
    {"command", "command list | add SCRIPT [--number N] [--caption TEXT] [--options TEXT]\n"
     "          [--output FILE] [--clipboard] [--hide-console] [--type 0-3] [--icon 10-36|none]\n"
     "          | remove N | edit",
     "the user commands: list them (number, caption, script, options, output); add\n"
     "one with the command editor's rules (the lowest free number from 10 unless\n"
     "given, paths relative to the script folder) and print its number; remove\n"
     "number N; edit them in the command list dialog (a desktop, or scripted\n"
     "answers). User commands reach the host's command list at its next start.",
     parse_command_words},
    {"help", "help [COMMAND]", "show this text, or the help of one command", parse_help},
};

const Command* find_command(const std::string& name) {
  for (const Command& command : kCommands) {
    if (name == command.name) return &command;
  }
  return nullptr;
}

std::string indented(const char* text, const char* indent) {
  std::string out = indent;
  for (const char* at = text; *at != '\0'; ++at) {
    out += *at;
    if (*at == '\n') out += indent;
  }
  return out + "\n";
}

std::string build_usage_text() {
  std::string text =
      "usage: zentrella [OPTION]... [COMMAND [ARGUMENT]...]\n"
      "\n"
      "Options (also as --option=value):\n"
      "  --user-folder DIR   the user folder (default: $XDG_DATA_HOME/zentrella/)\n"
      "  --project FILE      open a project file (may be repeated; default: default.json\n"
      "                      in the user folder, made from the sample on first use)\n"
      "  --plugin PATH       the plug-in to load (default: Scriptlink.so beside zentrella)\n"
      "  --codepage CP       utf-8 or 932: the code page of host texts\n"
      "  --no-station        do not serve scripts started outside the host\n"
      "  --ui desktop|terminal  where prompts and dialogs are shown (default: the desktop\n"
      "                      when a display is reachable, else the terminal; scripted\n"
      "                      answers whenever ZTL_PROMPT_ANSWERS is set)\n"
      "  --select PATH       make the item at PATH (titles from the project down,\n"
      "                      \"Work/Release/Write notes\") the current item first\n"
      "  --trace FILE        write one line per script request and a summary to FILE\n"
      "                      (ZTL_TRACE=FILE does the same)\n"
      "  --version           show the versions (as the version command)\n"
      "  --help              show this text\n"
      "\n"
      "Commands:\n";
  for (const Command& command : kCommands) {
    text += std::string("  ") + command.synopsis + "\n" + indented(command.summary, "      ");
  }
  return text +
         "\n"
         "Exit status: the script's own for run and exec (128+N when signal N ended it,\n"
         "130 when it was cancelled); 1 when a command failed; 2 on a usage error.\n";
}

}  // namespace

std::string quote_argument(const std::string& argument) {
  if (!argument.empty() && argument.find_first_of(" \t\n\v\"") == std::string::npos) return argument;
  std::string quoted = "\"";
  std::size_t backslashes = 0;
  for (const char c : argument) {
    if (c == '\\') {
      ++backslashes;
      continue;
    }
    // Backslashes before a quote are doubled, and the quote escaped.
    quoted.append(c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
    backslashes = 0;
    quoted += c;
  }
  // Backslashes before the closing quote are doubled so they stay backslashes.
  quoted.append(backslashes * 2, '\\');
  return quoted + "\"";
}

Options parse_options(const std::vector<std::string>& arguments) {
  Options options;
  Cursor cursor(arguments);
  while (!cursor.done()) {
    const std::string arg = cursor.next();
    if (arg == "--help" || arg == "-h") {
      cursor.no_value(arg);
      options.help = true;
      return options;
    } else if (arg == "--version") {
      cursor.no_value(arg);
      options.command = "version";
      parse_no_arguments(cursor, options);
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
    } else if (arg == "--select") {
      options.select = cursor.value_for(arg);
      if (options.select->empty()) throw UsageError("--select needs the titles of an item, not an empty path");
    } else if (arg == "--trace") {
      options.trace = cursor.value_for(arg);
      if (options.trace->empty()) throw UsageError("--trace needs a file name");
    } else if (arg == "--no-station") {
      cursor.no_value(arg);
      options.no_station = true;
    } else if (arg.rfind("-", 0) == 0) {
      throw UsageError("unknown option: " + arg);
    } else {
      const Command* command = find_command(arg);
      if (command == nullptr) throw UsageError("unknown command: " + arg);
      options.command = arg;
      command->parse(cursor, options);
      return options;
    }
  }
  // No command: the main window when a display is reachable (host_main decides).
  return options;
}

const char* usage_text() {
  static const std::string text = build_usage_text();
  return text.c_str();
}

std::string command_help(const std::string& name) {
  if (name.empty()) return usage_text();
  const Command* command = find_command(name);
  if (command == nullptr) throw UsageError("no help for an unknown command: " + name);
  return std::string("usage: zentrella [OPTION]... ") + command->synopsis + "\n\n" + command->summary + "\n";
}

}  // namespace zentrella::cli
