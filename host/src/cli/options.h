// The host's command line.
#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace zentrella::cli {

class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct RunOptions {
  std::string script;
  std::string options;
  std::string output;
  bool clipboard = false;
  bool hide_console = false;
};

struct Options {
  bool help = false;
  bool version = false;  // --version: the version command
  std::optional<std::string> user_folder;
  std::vector<std::string> projects;
  std::optional<std::string> plugin;
  std::optional<std::string> codepage;  // "utf-8" or "932"
  bool no_station = false;
  std::optional<std::string> ui;  // "desktop" or "terminal"; default: desktop when a display is reachable
  std::optional<std::string> select;  // titles from the project down, "Work/Release/Write notes"
  std::optional<std::string> trace;   // the file that gets one line per request
  std::string command;  // one of the command table's names; "" = none given
  std::string help_topic;  // help COMMAND, COMMAND --help: that command's text
  RunOptions run;
  unsigned exec_number = 0;
  std::vector<std::string> command_arguments;  // of command (list|add|remove|edit) and new
};

// Throws UsageError with a message for the user.
Options parse_options(const std::vector<std::string>& arguments);
const char* usage_text();
// The help of one command; throws UsageError for a command there is none of.
std::string command_help(const std::string& command);

// Quotes one argument so that a Windows-style command line splits it back as it was.
std::string quote_argument(const std::string& argument);

}  // namespace zentrella::cli
