// Pieces of the run controller that stand on their own: the run parameter
// block's flag texts and the script it names.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace scriptlink {

// A flag text of the run parameter block: a decimal number, on when its lowest
// byte is not 0; text that is not a number counts as 0.
bool FlagFromText(const char* text);

// The block's script file: a bare file name lies in the script folder.
std::string ScriptFromParameter(std::string_view script_file, const std::string& script_folder);

// The files a run looks for, in order: the block's script file, and for a bare
// name without the extension ".rb" that name with it as well.
std::vector<std::string> ScriptCandidates(std::string_view script_file, const std::string& script_folder);

}  // namespace scriptlink
