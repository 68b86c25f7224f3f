// The whole run of the host from its command line; returns the exit code.
#pragma once

namespace zentrella::cli {

enum ExitCode { kExitOk = 0, kExitFailure = 1, kExitUsage = 2 };

int host_main(int argc, char** argv);

}  // namespace zentrella::cli
