// The user commands of the plug-in, edited from the command line through the
// plug-in's own dialog logic (numbers, limits, relative paths) and file code
// (atomic saves), so a command added here is the one the dialog would add.
#include "cli/command_cli.h"

#include <dlfcn.h>

#include <cstdio>
#include <optional>

#include <platform/command_dialogs.h>
#include <platform/prompt.h>

#include "cli/options.h"
#include "cli/terminal_text.h"
#include "commands/command_entry.h"
#include "commands/command_file.h"

namespace zentrella::cli {

namespace {

namespace prompt = platform::prompt;

constexpr const char* kAddUsage =
    "command add SCRIPT [--number N] [--caption TEXT] [--options TEXT] [--output FILE] [--clipboard] "
    "[--hide-console] [--type 0-3] [--icon 10-36|none]";

struct CommandFile {
  std::string path;
  std::string script_folder;
  scriptlink::TCommandArray records;

  explicit CommandFile(const std::string& user_folder)
      : path(user_folder + "Scriptlink.cmd"), script_folder(user_folder + "Script/") {
    scriptlink::LoadCommandFile(path, records);
  }
  prompt::CommandList list() const { return prompt::CommandList(scriptlink::ToCommandEntries(records), script_folder); }
  void save(const prompt::CommandList& edited) {
    scriptlink::SaveCommandFile(path, scriptlink::ToCommandRecords(edited.entries(), records));
  }
};

long whole_number(const std::string& text, const std::string& what) {
  std::size_t used = 0;
  long value = 0;
  try {
    value = std::stol(text, &used);
  } catch (const std::exception&) {
    used = 0;
  }
  if (used == 0 || used != text.size()) throw UsageError(what + " needs a number, not \"" + text + "\"");
  return value;
}

// The dialogs' texts are UTF-8 whatever the code page.
std::string shown(const std::string& text) { return printable(text, true); }

int list_commands(const CommandFile& file) {
  const prompt::CommandList list = file.list();
  for (std::size_t row = 0; row < list.entries().size(); ++row) {
    const prompt::CommandEntry& entry = list.at_row(row);
    std::printf("%u\t%s\t%s\t%s\t%s\n", entry.number, shown(entry.caption).c_str(),
                shown(entry.script).c_str(), shown(entry.options).c_str(), shown(entry.output).c_str());
  }
  return 0;
}

void set_field(prompt::CommandEditor& editor, const std::string& option, const std::string& value) {
  if (option == "--number") {
    const long number = whole_number(value, option);
    if (number < 0 || !editor.select_number_value(static_cast<std::uint32_t>(number))) {
      throw UsageError("command number " + value + " is taken or not offered (the 20 lowest free from 10)");
    }
  } else if (option == "--caption") {
    editor.set_caption(value);
    if (editor.caption() != value) throw UsageError("the caption is too long");
  } else if (option == "--options") {
    editor.set_options(value);
    if (editor.options() != value) throw UsageError("the options are too long");
  } else if (option == "--output") {
    editor.set_output(value);
  } else if (option == "--type") {
    if (!editor.set_type(static_cast<int>(whole_number(value, option)))) throw UsageError("--type takes 0 to 3");
  } else if (option == "--icon") {
    if (value == "none") return editor.clear_icon();
    if (!editor.select_icon(static_cast<int>(whole_number(value, option)) - prompt::kFirstIcon)) {
      throw UsageError("--icon takes 10 to 36 or none");
    }
  } else {
    throw UsageError(std::string("unknown option for command add: ") + option + "\nusage: zentrella " + kAddUsage);
  }
}

int add_command(CommandFile& file, const std::vector<std::string>& arguments) {
  prompt::CommandList list = file.list();
  if (!list.can_add()) throw std::runtime_error(prompt::CommandList::kTooManyCommands);
  prompt::CommandEditor editor = list.editor_for_add();
  std::optional<std::string> script;
  for (std::size_t i = 1; i < arguments.size(); ++i) {
    const std::string& arg = arguments[i];
    if (arg == "--clipboard") {
      editor.set_copy_to_clipboard(true);
    } else if (arg == "--hide-console") {
      editor.set_hide_console(true);
    } else if (arg.rfind("--", 0) == 0) {
      if (i + 1 >= arguments.size()) throw UsageError("option " + arg + " needs a value");
      set_field(editor, arg, arguments[++i]);
    } else if (!script) {
      script = arg;
    } else {
      throw UsageError("command add takes one script, got another: " + arg);
    }
  }
  if (!script) throw UsageError(std::string("usage: zentrella ") + kAddUsage);
  // The script after the caption, so only a missing caption is taken from its name.
  editor.set_script(*script);
  if (const std::optional<std::string> refused = editor.confirm()) throw std::runtime_error(*refused);
  list.add(editor);
  file.save(list);
  std::printf("%u\n", editor.result().number);
  return 0;
}

int remove_command(CommandFile& file, const std::vector<std::string>& arguments) {
  if (arguments.size() != 2) throw UsageError("usage: zentrella command remove N");
  const long number = whole_number(arguments[1], "command remove");
  prompt::CommandList list = file.list();
  for (std::size_t row = 0; row < list.entries().size(); ++row) {
    if (list.at_row(row).number != static_cast<std::uint64_t>(number)) continue;
    list.select_row(row);
    list.delete_selected();
    file.save(list);
    return 0;
  }
  throw std::runtime_error("no user command has the number " + arguments[1]);
}

// The command list dialog itself, shown by the front end in force.
int edit_commands(CommandFile& file, const std::string& plugin_path) {
  prompt::CommandList list = file.list();
  list.icon_module = ::dlopen(plugin_path.c_str(), RTLD_LAZY | RTLD_LOCAL);
  const bool confirmed = prompt::front_end().command_list(list);
  if (list.icon_module != nullptr) ::dlclose(list.icon_module);
  if (confirmed) file.save(list);
  return 0;
}

}  // namespace

int run_command_cli(const std::vector<std::string>& arguments, const std::string& user_folder,
                    const std::string& plugin_path) {
  const std::string sub = arguments.empty() ? "" : arguments.front();
  if (sub != "list" && sub != "add" && sub != "remove" && sub != "edit") {
    throw UsageError("command takes list, add, remove or edit");
  }
  if ((sub == "list" || sub == "edit") && arguments.size() != 1) {
    throw UsageError("unexpected argument after command " + sub + ": " + arguments[1]);
  }
  CommandFile file(user_folder);
  if (sub == "list") return list_commands(file);
  if (sub == "add") return add_command(file, arguments);
  if (sub == "remove") return remove_command(file, arguments);
  return edit_commands(file, plugin_path);
}

}  // namespace zentrella::cli
