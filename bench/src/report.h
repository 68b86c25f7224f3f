// The benchmark's printed lines: figures, ratios against same-run baselines,
// and PASS/MISS against the targets (informational: nothing fails on them).
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "measure.h"

namespace bench {

enum class Goal { at_most, below, at_least };

struct Target {
  Goal goal;
  double bound;
  bool met(double ratio) const;
  std::string describe() const;
};

void print_title(std::string_view text);
void print_section(std::string_view text);
void print_placement(std::string_view text);
// "label  12.34 us  (runs 11.9 .. 13.0)"
void print_latency(std::string_view label, const Sample& sample);
// "label  0.671 GB/s  (runs ...)" for bytes moved per operation.
void print_throughput(std::string_view label, const Sample& sample, double bytes_per_op);
// "= 1.08x <what>   target <= 1.5x   PASS"; without a target, just the ratio.
void print_ratio(double ratio, std::string_view against, const std::optional<Target>& target = {});
void print_unavailable(std::string_view label, std::string_view why);
void print_note(std::string_view text);

std::string format_micros(double seconds);
std::string format_gbps(double bytes_per_second);

}  // namespace bench
