#include "cli/script_cli.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

#include <platform/atomic_file.h>
#include <platform/codepage.h>
#include <platform/paths.h>
#include <platform/script_list.h>

#include "cli/options.h"
#include "cli/terminal_text.h"

namespace zentrella::cli {

namespace {

struct NewScript {
  std::string name;
  bool force = false;
};

NewScript parse_new(const std::vector<std::string>& arguments) {
  NewScript parsed;
  for (const std::string& argument : arguments) {
    if (argument == "--force") {
      parsed.force = true;
    } else if (argument.starts_with("-")) {
      throw UsageError("new: unknown option " + argument);
    } else if (parsed.name.empty()) {
      parsed.name = argument;
    } else {
      throw UsageError("new takes one name, got another: " + argument);
    }
  }
  if (parsed.name.empty()) throw UsageError("new needs the name of the script");
  return parsed;
}

// A bare name goes to the script folder; one with a folder of its own stays there.
std::string script_path(const std::string& name, const std::string& script_folder) {
  std::string path = name.find('/') == std::string::npos ? script_folder + name : name;
  if (std::filesystem::path(path).extension().empty()) path += ".rb";
  return path;
}

}  // namespace

int list_scripts(const std::string& script_folder) {
  platform::prompt::ScriptList list(script_folder, {});
  list.fill();
  for (const platform::prompt::ScriptEntry& entry : list.entries()) {
    std::printf("%s\t%s\n", printable(entry.name, true).c_str(), printable(entry.description, true).c_str());
  }
  return 0;
}

int new_script(const std::vector<std::string>& arguments, const std::string& script_folder) {
  const NewScript wanted = parse_new(arguments);
  const std::string path = script_path(wanted.name, script_folder);
  if (!wanted.force && platform::paths::file_exists(path)) {
    std::fprintf(stderr, "zentrella: %s exists; it is kept (--force replaces it)\n", path.c_str());
    return 1;
  }
  std::error_code ignored;  // a folder that cannot be made fails the write, which says why
  std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ignored);
  platform::write_file_atomically(path, platform::prompt::script_template(platform::codepage::current()));
  std::printf("%s\n", path.c_str());
  return 0;
}

}  // namespace zentrella::cli
