// RunScript: runs one script file with the channel object's settings, serves
// its requests while it runs, and delivers its captured output.
#pragma once

#include <string>
#include <vector>

namespace scriptlink {

class TCommToRuby;

// Errors that prevent the start are shown to the user and end the run; a
// channel failure while the script runs ends the script, the output so far is
// still delivered, and the failure is then thrown. Always returns false.
// What became of the run is kept in LastRunOutcome(); a missing script names
// script_path and then the paths in also_tried (looked at before it).
bool RunScript(TCommToRuby& channel, const std::string& script_path,
               const std::vector<std::string>& also_tried = {});

// The wait form's cancel callback: asks the run in progress to stop.
int32_t CancelRunCallback();

}  // namespace scriptlink
