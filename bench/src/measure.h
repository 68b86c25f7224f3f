// Repetition with warm-up: an operation is run until it is warm, then in
// several runs of equal length; a figure is the median of the runs, which a
// noisy shared machine disturbs least.
#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <vector>

namespace bench {

struct Budget {
  int runs = 7;
  std::chrono::milliseconds warm_up{40};
  std::chrono::milliseconds run_length{100};
  std::size_t max_ops_per_run = 1'000'000;
};

// Seconds per operation, one entry per run.
struct Sample {
  std::vector<double> per_op;
  double median() const;
  double low() const;
  double high() const;
};

double median_of(std::vector<double> values);

// op(n) performs n operations back to back. The warm-up also estimates the
// rate, from which each run gets an operation count close to run_length.
Sample measure(const std::function<void(std::size_t)>& op, const Budget& budget = {});

// Several operations measured side by side: each is warmed up, then the runs
// take turns (run 1 of each, run 2 of each, ...), so that a change in the load
// of a shared machine falls on all of them alike and their ratios hold.
std::vector<Sample> measure_interleaved(const std::vector<std::function<void(std::size_t)>>& ops,
                                        const Budget& budget = {});

// Times one call of fn, in seconds.
double seconds_of(const std::function<void()>& fn);

}  // namespace bench
