// zentrella scripts and zentrella new NAME: the script folder from the
// command line, through the script list's own reader and template.
#pragma once

#include <string>
#include <vector>

namespace zentrella::cli {

// Prints "NAME<TAB>DESCRIPTION" for each script of the folder, sorted as the
// script list sorts them. Returns the exit code.
int list_scripts(const std::string& script_folder);

// new NAME [--force]: writes the template of a new script, NAME (".rb" added
// when it has no extension) in the script folder unless it names a folder of
// its own, and prints its path. An existing file is kept unless --force
// says otherwise (exit 1). Throws UsageError for arguments it cannot take.
int new_script(const std::vector<std::string>& arguments, const std::string& script_folder);

}  // namespace zentrella::cli
