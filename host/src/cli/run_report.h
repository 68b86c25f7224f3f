// The exit status of a command that ran a script, from the plug-in's outcome
// of the run, and the line the terminal gets when the run did not succeed.
#pragma once

#include <cstdio>

#include <zentrella/plugin_abi.h>

namespace zentrella::cli {

inline constexpr int kExitCancelled = 130;

// The script's own status when it ended (128 + N for signal N), 130 when the
// user cancelled it, 1 when it was not found or not started; 0 when no run
// was started or the plug-in did not tell. A failed captured run, a cancel
// and a script not found get one line on err ("zentrella: ...").
int run_exit_code(const ZtlRunOutcome* outcome, std::FILE* err);

}  // namespace zentrella::cli
