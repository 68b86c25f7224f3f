#include "controller/run_outcome.h"

namespace scriptlink {

namespace {

RunOutcome g_outcome;
ZtlRunOutcome g_record;

}  // namespace

RunOutcome& LastRunOutcome() { return g_outcome; }

void ResetRunOutcome() { g_outcome = RunOutcome{}; }

const ZtlRunOutcome* LastRunOutcomeRecord() {
  g_record = ZtlRunOutcome{g_outcome.state, g_outcome.exit_code, g_outcome.output, g_outcome.script.c_str(),
                           g_outcome.output_path.c_str()};
  return &g_record;
}

std::string PathsTried(const std::vector<std::string>& paths) {
  std::string text;
  for (const std::string& path : paths) text += (text.empty() ? "" : "\n") + path;
  return text;
}

}  // namespace scriptlink
