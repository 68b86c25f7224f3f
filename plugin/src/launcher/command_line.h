// The command line that starts a script: the console form runs "rubyp.bat"
// through the command interpreter, the direct form runs the interpreter itself.
#pragma once

#include <string>

#include "launcher/interpreter_line.h"

namespace scriptlink {

struct ConsoleForm {
  std::string shell;          // COMSPEC, at most 1024 characters; empty when unset
  std::string plugin_folder;  // with its trailing "/"
  bool nt_family = true;      // the quote rule of the NT command interpreter
};

std::string BuildConsoleCommandLine(const ConsoleForm& form, const InterpreterLine& line,
                                    const std::string& script_path, const std::string& options);

// default_interpreter is the channel object's interpreter ("ruby").
std::string BuildDirectCommandLine(const InterpreterLine& line, const std::string& default_interpreter,
                                   const std::string& script_path, const std::string& options);

// COMSPEC from the environment, cut to 1024 characters.
std::string ShellFromEnvironment();

}  // namespace scriptlink
