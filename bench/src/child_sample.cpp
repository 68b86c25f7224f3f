#include "child_sample.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <stdexcept>

#include "process_pair.h"

namespace bench {
namespace {

constexpr int kMaxRuns = 64;

struct Outcome {
  int runs = 0;
  double per_op[kMaxRuns] = {};
  char error[512] = {};
};

void keep_error(Outcome& outcome, const char* what) {
  std::strncpy(outcome.error, what, sizeof outcome.error - 1);
}

}  // namespace

Sample sample_in_child(const std::function<Sample()>& measurement) {
  SharedRegion region(sizeof(Outcome));
  auto& outcome = *new (region.data()) Outcome();
  {
    ServerProcess child({}, [&](const std::function<void()>& ready) {
      ready();
      try {
        const Sample sample = measurement();
        outcome.runs = static_cast<int>(std::min<std::size_t>(sample.per_op.size(), kMaxRuns));
        std::copy_n(sample.per_op.begin(), outcome.runs, outcome.per_op);
      } catch (const std::exception& e) {
        keep_error(outcome, e.what());
        throw;
      }
    });
    try {
      child.finish(std::chrono::seconds(120));
    } catch (const std::exception&) {
      if (outcome.error[0] == '\0') throw;
    }
  }
  if (outcome.error[0] != '\0') throw std::runtime_error(outcome.error);
  if (outcome.runs == 0) throw std::runtime_error("the measuring process brought back no runs");
  return Sample{std::vector<double>(outcome.per_op, outcome.per_op + outcome.runs)};
}

}  // namespace bench
