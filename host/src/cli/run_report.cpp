#include "cli/run_report.h"

#include <string>

#include <platform/paths.h>

namespace zentrella::cli {

namespace {

// Where the captured output went, as the end of a sentence.
std::string where_output_went(const ZtlRunOutcome& outcome) {
  const std::string path = outcome.output_path != nullptr ? outcome.output_path : "";
  switch (outcome.output) {
    case ZTL_OUTPUT_CLIPBOARD: return "its output is on the clipboard";
    case ZTL_OUTPUT_FILE: return "its output is in " + path;
    case ZTL_OUTPUT_KEPT: return "its output could not be delivered and is kept in " + path;
    case ZTL_OUTPUT_LOST: return "its output could not be delivered, and nothing was written";
    default: return {};
  }
}

std::string how_it_ended(int exit_code) {
  if (exit_code > 128 && exit_code < 128 + 65) {
    return "was ended by signal " + std::to_string(exit_code - 128) + " (status " + std::to_string(exit_code) + ")";
  }
  return "failed with status " + std::to_string(exit_code);
}

// Paths tried come one a line; on the terminal they are listed with " and ".
std::string listed(const char* lines) {
  std::string text = lines != nullptr ? lines : "";
  for (std::size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', at)) {
    text.replace(at, 1, " and ");
  }
  return text;
}

bool undelivered(const ZtlRunOutcome& outcome) {
  return outcome.output == ZTL_OUTPUT_KEPT || outcome.output == ZTL_OUTPUT_LOST;
}

int ended(const ZtlRunOutcome& outcome, std::FILE* err) {
  const std::string name = platform::paths::file_name_of(outcome.script != nullptr ? outcome.script : "");
  const std::string where = where_output_went(outcome);
  if (outcome.exit_code == 0) {
    if (!undelivered(outcome)) return 0;
    // The script did its part; the command did not.
    std::fprintf(err, "zentrella: %s succeeded, but %s\n", name.c_str(), where.c_str());
    return 1;
  }
  // A status that was lost still must not pass for success.
  const int code = outcome.exit_code < 0 ? 1 : outcome.exit_code;
  if (!where.empty()) {
    std::fprintf(err, "zentrella: %s %s; %s\n", name.c_str(), how_it_ended(code).c_str(), where.c_str());
  }
  return code;
}

}  // namespace

int run_exit_code(const ZtlRunOutcome* outcome, std::FILE* err) {
  if (outcome == nullptr) return 0;
  switch (outcome->state) {
    case ZTL_RUN_ENDED:
      return ended(*outcome, err);
    case ZTL_RUN_CANCELLED: {
      const std::string where = where_output_went(*outcome);
      std::fprintf(err, "zentrella: the script was cancelled%s%s\n", where.empty() ? "" : "; ", where.c_str());
      return kExitCancelled;
    }
    case ZTL_RUN_NOT_FOUND:
      std::fprintf(err, "zentrella: script not found: looked for %s\n", listed(outcome->script).c_str());
      return 1;
    case ZTL_RUN_NOT_STARTED:
      std::fprintf(err, "zentrella: the script could not be started: %s\n",
                   outcome->script != nullptr ? outcome->script : "");
      return 1;
    default:
      return 0;
  }
}

}  // namespace zentrella::cli
