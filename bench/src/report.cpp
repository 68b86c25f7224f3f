#include "report.h"

#include <cstdio>
#include <iostream>

namespace bench {
namespace {

constexpr int kLabelWidth = 46;

std::string fixed(double value, int decimals) {
  char text[64];
  std::snprintf(text, sizeof text, "%.*f", decimals, value);
  return text;
}

std::string padded(std::string_view label) {
  std::string line = "    " + std::string(label);
  if (line.size() < kLabelWidth) line.append(kLabelWidth - line.size(), ' ');
  return line + " ";
}

int decimals_for(double value) { return value < 10 ? 2 : (value < 100 ? 1 : 0); }

}  // namespace

bool Target::met(double ratio) const {
  switch (goal) {
    case Goal::at_most: return ratio <= bound;
    case Goal::below: return ratio < bound;
    case Goal::at_least: return ratio >= bound;
  }
  return false;
}

std::string Target::describe() const {
  const char* sign = goal == Goal::at_most ? "<=" : (goal == Goal::below ? "<" : ">=");
  return std::string(sign) + " " + fixed(bound, 2) + "x";
}

std::string format_micros(double seconds) {
  const double us = seconds * 1e6;
  return fixed(us, decimals_for(us)) + " us";
}

std::string format_gbps(double bytes_per_second) { return fixed(bytes_per_second / 1e9, 3) + " GB/s"; }

void print_title(std::string_view text) { std::cout << "== " << text << " ==\n"; }
void print_section(std::string_view text) { std::cout << '\n' << text << '\n'; }
void print_placement(std::string_view text) { std::cout << "  " << text << '\n'; }

void print_latency(std::string_view label, const Sample& sample) {
  std::cout << padded(label) << format_micros(sample.median()) << "   (runs " << format_micros(sample.low())
            << " .. " << format_micros(sample.high()) << ")\n";
}

void print_throughput(std::string_view label, const Sample& sample, double bytes_per_op) {
  std::cout << padded(label) << format_gbps(bytes_per_op / sample.median()) << "   (runs "
            << format_gbps(bytes_per_op / sample.high()) << " .. " << format_gbps(bytes_per_op / sample.low())
            << ")\n";
}

void print_ratio(double ratio, std::string_view against, const std::optional<Target>& target) {
  std::string line = "      = " + fixed(ratio, 2) + "x " + std::string(against);
  if (target) {
    if (line.size() < 56) line.append(56 - line.size(), ' ');
    line += "  target " + target->describe() + "  " + (target->met(ratio) ? "PASS" : "MISS");
  }
  std::cout << line << '\n';
}

void print_unavailable(std::string_view label, std::string_view why) {
  std::cout << padded(label) << "not available yet (" << why << ")\n";
}

void print_note(std::string_view text) { std::cout << "    " << text << '\n'; }

}  // namespace bench
