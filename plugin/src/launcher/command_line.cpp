#include "launcher/command_line.h"

#include <cstdlib>

namespace scriptlink {

std::string BuildConsoleCommandLine(const ConsoleForm& form, const InterpreterLine& line,
                                    const std::string& script_path, const std::string& options) {
  std::string command = "\"" + form.shell + "\" /c ";
  if (form.nt_family) command += '"';
  command += "\"" + form.plugin_folder + "rubyp.bat\" ";
  command += line.arguments;
  command += " \"" + script_path + "\"";
  if (!options.empty()) command += " " + options;
  if (form.nt_family) command += '"';
  return command;
}

std::string BuildDirectCommandLine(const InterpreterLine& line, const std::string& default_interpreter,
                                   const std::string& script_path, const std::string& options) {
  std::string interpreter = line.interpreter.empty() ? default_interpreter : line.interpreter;
  if (interpreter.empty() || interpreter.front() != '"') interpreter = "\"" + interpreter + "\"";
  return interpreter + " " + line.arguments + " \"" + script_path + "\" " + options;
}

std::string ShellFromEnvironment() {
  const char* value = std::getenv("COMSPEC");
  std::string shell = value ? value : "";
  if (shell.size() > 1024) shell.resize(1024);
  return shell;
}

}  // namespace scriptlink
