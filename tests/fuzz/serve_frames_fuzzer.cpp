// Arbitrary bytes as a client's frames, served by the plug-in's dispatcher
// against a host that books every record it hands out. A crash, a sanitizer
// report, an exception that is not a run-ending error, or a host record left
// behind after an input is a finding.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>

#include <platform/prompt.h>

#include "controller/serve_frames.h"
#include "counting_host.h"

namespace {

const scriptlink::HandlerEnv& Env() {
  static const scriptlink::HandlerEnv env = [] {
    scriptlink::HandlerEnv made;
    made.host = &fuzz_host::Api();
    made.lock_window_update = [](ZtlWindow) {};
    made.plugin_version = [] { return platform::FileVersion{0x00010000, 0x00000001}; };
    return made;
  }();
  return env;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* /*argc*/, char*** /*argv*/) {
  // A prompt must never wait for a person: with no scripted answers left it
  // throws, which ends the input like any run-ending error.
  ::setenv(platform::prompt::kAnswersVariable, "/dev/null", 1);
  ::unsetenv(platform::prompt::kLogVariable);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz_host::Reset();
  try {
    scriptlink::ServeArbitraryFrames(data, size, Env());
  } catch (const std::runtime_error&) {
    // A run ends with its message here; what matters is that nothing leaked.
  }
  const fuzz_host::LedgerReport report = fuzz_host::Report();
  if (report.outstanding != 0 || report.foreign != 0) {
    std::fprintf(stderr, "host records: %zu not given back, %zu given back wrongly; first: %s\n",
                 report.outstanding, report.foreign, report.first_fault.c_str());
    std::abort();
  }
  return 0;
}
