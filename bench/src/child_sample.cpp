#include "child_sample.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <stdexcept>

#include "process_pair.h"

namespace bench {
namespace {

constexpr int kMaxSamples = 8;
constexpr int kMaxRuns = 64;

struct Outcome {
  int samples = 0;
  int runs[kMaxSamples] = {};
  double per_op[kMaxSamples][kMaxRuns] = {};
  char error[512] = {};
};

void keep(Outcome& outcome, const std::vector<Sample>& samples) {
  if (samples.size() > kMaxSamples) throw std::length_error("too many samples to bring back");
  outcome.samples = static_cast<int>(samples.size());
  for (std::size_t i = 0; i < samples.size(); ++i) {
    outcome.runs[i] = static_cast<int>(std::min<std::size_t>(samples[i].per_op.size(), kMaxRuns));
    std::copy_n(samples[i].per_op.begin(), outcome.runs[i], outcome.per_op[i]);
  }
}

std::vector<Sample> taken(const Outcome& outcome) {
  std::vector<Sample> samples;
  for (int i = 0; i < outcome.samples; ++i) {
    if (outcome.runs[i] == 0) throw std::runtime_error("the measuring process brought back no runs");
    samples.push_back(Sample{std::vector<double>(outcome.per_op[i], outcome.per_op[i] + outcome.runs[i])});
  }
  if (samples.empty()) throw std::runtime_error("the measuring process brought back nothing");
  return samples;
}

}  // namespace

std::vector<Sample> samples_in_child(const std::function<std::vector<Sample>()>& measurement) {
  SharedRegion region(sizeof(Outcome));
  auto& outcome = *new (region.data()) Outcome();
  {
    ServerProcess child({}, [&](const std::function<void()>& ready) {
      ready();
      try {
        keep(outcome, measurement());
      } catch (const std::exception& e) {
        std::strncpy(outcome.error, e.what(), sizeof outcome.error - 1);
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
  return taken(outcome);
}

Sample sample_in_child(const std::function<Sample()>& measurement) {
  return samples_in_child([&] { return std::vector<Sample>{measurement()}; }).front();
}

}  // namespace bench
