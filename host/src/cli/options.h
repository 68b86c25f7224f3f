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
  std::optional<std::string> user_folder;
  std::vector<std::string> projects;
  std::optional<std::string> plugin;
  std::optional<std::string> codepage;  // "utf-8" or "932"
  bool no_station = false;
  std::optional<std::string> ui;  // "desktop" or "terminal"; default: desktop when a display is reachable
  std::string command;  // commands, version, run, exec, station, clipboard, desktop; "" = none given
  RunOptions run;
  unsigned exec_number = 0;
  std::vector<std::string> command_arguments;  // command list|add|remove|edit and theirs
};

// Throws UsageError with a message for the user.
Options parse_options(const std::vector<std::string>& arguments);
const char* usage_text();

}  // namespace zentrella::cli
