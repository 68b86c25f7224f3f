#include "controller/request_trace.h"

#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <memory>

#include <platform/error.h>

namespace scriptlink {

namespace {

std::unique_ptr<RequestTrace> g_trace;

std::string WallClock() {
  const auto now = std::chrono::system_clock::now();
  const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
  const auto micros =
      std::chrono::duration_cast<std::chrono::microseconds>(now.time_since_epoch()).count() % 1000000;
  std::tm local{};
  localtime_r(&seconds, &local);
  char text[32];
  std::snprintf(text, sizeof text, "%02d:%02d:%02d.%06lld", local.tm_hour, local.tm_min, local.tm_sec,
                static_cast<long long>(micros));
  return text;
}

}  // namespace

RequestTrace::RequestTrace(const std::string& path) : path_(path) {
  file_ = std::fopen(path.c_str(), "we");
  if (file_ == nullptr) platform::throw_errno("write the trace file " + path);
}

RequestTrace::~RequestTrace() {
  WriteSummary();
  std::fclose(file_);
}

void RequestTrace::Record(const TracedRequest& request) {
  const auto nanos = static_cast<std::uint64_t>(request.spent.count());
  const std::uint64_t micros = nanos / 1000;  // the line shows whole microseconds
  std::fprintf(file_, "%s code %u %s handle %u payload %zu reply %zu us %llu\n", WallClock().c_str(), request.code,
               request.name, request.handle, request.payload_bytes, request.reply_bytes,
               static_cast<unsigned long long>(micros));
  std::fflush(file_);
  if (request.code >= totals_.size()) return;
  Totals& totals = totals_[request.code];
  totals.name = request.name;
  ++totals.count;
  totals.nanos += nanos;
}

void RequestTrace::WriteSummary() {
  std::fprintf(file_, "summary: code name count total_us mean_us\n");
  for (std::size_t code = 0; code < totals_.size(); ++code) {
    const Totals& totals = totals_[code];
    if (totals.count == 0) continue;
    const double micros = static_cast<double>(totals.nanos) / 1000.0;
    std::fprintf(file_, "summary %zu %s count %llu total_us %.0f mean_us %.3f\n", code, totals.name,
                 static_cast<unsigned long long>(totals.count), micros, micros / static_cast<double>(totals.count));
  }
  std::fflush(file_);
}

RequestTrace* ActiveRequestTrace() noexcept { return g_trace.get(); }

void StartRequestTrace() {
  g_trace.reset();
  const char* path = std::getenv(kTraceVariable);
  if (path == nullptr || *path == '\0') return;
  g_trace = std::make_unique<RequestTrace>(path);
  // The trace is this host's: a host that one of its scripts starts must not
  // empty the file.
  ::unsetenv(kTraceVariable);
}

void EndRequestTrace() noexcept { g_trace.reset(); }

}  // namespace scriptlink
