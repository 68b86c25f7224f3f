#include "measure.h"

#include <algorithm>
#include <stdexcept>

namespace bench {

double median_of(std::vector<double> values) {
  if (values.empty()) throw std::invalid_argument("median of no values");
  std::sort(values.begin(), values.end());
  const std::size_t mid = values.size() / 2;
  if (values.size() % 2 == 1) return values[mid];
  return (values[mid - 1] + values[mid]) / 2;
}

double Sample::median() const { return median_of(per_op); }
double Sample::low() const { return *std::min_element(per_op.begin(), per_op.end()); }
double Sample::high() const { return *std::max_element(per_op.begin(), per_op.end()); }

double seconds_of(const std::function<void()>& fn) {
  const auto start = std::chrono::steady_clock::now();
  fn();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

namespace {

// Doubles the batch until the warm-up time is spent; returns seconds per op.
double warm_up(const std::function<void(std::size_t)>& op, const Budget& budget) {
  const double wanted = std::chrono::duration<double>(budget.warm_up).count();
  double spent = 0;
  std::size_t done = 0;
  std::size_t batch = 1;
  while (spent < wanted || done == 0) {
    spent += seconds_of([&] { op(batch); });
    done += batch;
    batch = std::min(batch * 2, budget.max_ops_per_run);
  }
  return spent / static_cast<double>(done);
}

std::size_t ops_per_run(double seconds_per_op, const Budget& budget) {
  const double run_seconds = std::chrono::duration<double>(budget.run_length).count();
  return static_cast<std::size_t>(std::clamp(run_seconds / std::max(seconds_per_op, 1e-12), 1.0,
                                             static_cast<double>(budget.max_ops_per_run)));
}

}  // namespace

std::vector<Sample> measure_interleaved(const std::vector<std::function<void(std::size_t)>>& ops,
                                        const Budget& budget) {
  if (budget.runs < 1) throw std::invalid_argument("a measurement needs at least one run");
  std::vector<std::size_t> counts;
  for (const auto& op : ops) counts.push_back(ops_per_run(warm_up(op, budget), budget));
  std::vector<Sample> samples(ops.size());
  for (int run = 0; run < budget.runs; ++run) {
    for (std::size_t i = 0; i < ops.size(); ++i) {
      samples[i].per_op.push_back(seconds_of([&] { ops[i](counts[i]); }) / static_cast<double>(counts[i]));
    }
  }
  return samples;
}

Sample measure(const std::function<void(std::size_t)>& op, const Budget& budget) {
  return measure_interleaved({op}, budget).front();
}

}  // namespace bench
