// The request trace (ZTL_TRACE=FILE, which the host's --trace sets): one line
// per request served, and at the end a summary per code. When no trace is
// asked for, a request costs one test of a null pointer and nothing more.
#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>

#include <ztl/payloads.h>

namespace scriptlink {

inline constexpr const char* kTraceVariable = "ZTL_TRACE";

struct TracedRequest {
  std::uint32_t code = 0;
  const char* name = "";
  std::uint32_t handle = 0;  // the request's value
  std::size_t payload_bytes = 0;
  std::size_t reply_bytes = 0;
  std::chrono::nanoseconds spent{0};  // in the handler
};

class RequestTrace {
 public:
  // Creates (or empties) the file; throws platform::SystemError naming it.
  explicit RequestTrace(const std::string& path);
  // Writes the summary and closes the file.
  ~RequestTrace();
  RequestTrace(const RequestTrace&) = delete;
  RequestTrace& operator=(const RequestTrace&) = delete;

  // "HH:MM:SS.uuuuuu code 18 ITEM_TITLE_GET handle 7 payload 0 reply 12 us 3",
  // written at once, so a host that dies leaves every line before it.
  void Record(const TracedRequest& request);

 private:
  struct Totals {
    const char* name = "";
    std::uint64_t count = 0;
    // Summed before rounding: most handlers take well under a microsecond,
    // and a sum of whole microseconds would make them all take none.
    std::uint64_t nanos = 0;
  };
  void WriteSummary();

  std::string path_;
  std::FILE* file_ = nullptr;
  std::array<Totals, ZTL_REQUEST_CODE_COUNT + 1> totals_{};
};

// The trace of this plug-in's life, or null when none was asked for.
RequestTrace* ActiveRequestTrace() noexcept;
// Starts the trace that ZTL_TRACE names (nothing when it is unset or empty)
// and takes the variable out of the environment the scripts inherit; throws
// platform::SystemError when the file cannot be written.
void StartRequestTrace();
// Writes the summary and closes the file.
void EndRequestTrace() noexcept;

}  // namespace scriptlink
