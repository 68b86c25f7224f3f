// What became of the last run: kept by the launcher as the run goes, handed to
// the host through ZTLPlugin_LastRunOutcome so that its command line can exit
// with the script's status and say where the output went.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <zentrella/plugin_abi.h>

namespace scriptlink {

struct RunOutcome {
  std::int32_t state = ZTL_RUN_NONE;
  std::int32_t exit_code = 0;
  std::int32_t output = ZTL_OUTPUT_NONE;
  std::string script;
  std::string output_path;
};

// The last run's outcome; a new run starts it afresh with ResetRunOutcome.
RunOutcome& LastRunOutcome();
void ResetRunOutcome();
// The C record of LastRunOutcome(), valid until the outcome next changes.
const ZtlRunOutcome* LastRunOutcomeRecord();

// The paths tried for a script that was not found, one a line.
std::string PathsTried(const std::vector<std::string>& paths);

}  // namespace scriptlink
