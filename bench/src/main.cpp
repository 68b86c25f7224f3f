// channel_bench: the bridge channel against raw baselines measured in the same
// run, then the whole system through the Ruby drivers (system_bench.rb,
// items_bench.rb, editor_bench.rb, documents_bench.rb). Figures only: no target decides
// the exit status; a wrong reply (a real fault) does.
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <functional>
#include <iostream>
#include <optional>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "side_by_side.h"
#include "real_channel.h"
#include "report.h"

namespace bench {
namespace {

struct Options {
  bool quick = false;
  bool system = true;
  std::string stage_dir = ZTL_BENCH_STAGE_DIR;
  std::string scripts_dir = ZTL_BENCH_SCRIPTS_DIR;
};

struct Budgets {
  Budget small;
  Budget bulk;
};

Budgets budgets_for(const Options& options) {
  Budgets b;
  b.bulk.runs = 5;
  b.bulk.warm_up = std::chrono::milliseconds(60);
  b.bulk.run_length = std::chrono::milliseconds(150);
  if (options.quick) {
    b.small = {3, std::chrono::milliseconds(5), std::chrono::milliseconds(10)};
    b.bulk = {3, std::chrono::milliseconds(5), std::chrono::milliseconds(10)};
  }
  return b;
}

int failures = 0;

// The real channel's bulk throughput of (b), bytes per second, from the
// placement the whole system runs in; (h) is measured against it.
std::optional<double> bulk_bytes_per_second;

// Runs one measurement; a failure is printed on its line and counted.
std::optional<Sample> attempt(std::string_view label, const std::function<Sample()>& fn) {
  try {
    return fn();
  } catch (const std::exception& e) {
    std::cout << "    " << label << ": FAILED: " << e.what() << '\n';
    ++failures;
    return std::nullopt;
  }
}

bool two_cpus_online() { return sysconf(_SC_NPROCESSORS_ONLN) >= 2; }

// Both sides free on every CPU: as the host and a script run.
std::string system_placement_label() { return two_cpus_online() ? two_cpus().label : one_cpu().label; }

std::vector<Placement> placements() {
  if (two_cpus_online()) return {one_cpu(), two_cpus(), one_cpu_each()};
  return {one_cpu()};
}

// Measures a placement with the real channel, or (when it is missing or
// fails) the baselines alone, so that they are printed either way.
template <class Figures>
std::optional<Figures> with_real_if_possible(const std::function<Figures(bool)>& measure_with,
                                             std::string_view real_label) {
  const std::string missing = real_channel_missing();
  if (missing.empty()) {
    try {
      return measure_with(true);
    } catch (const std::exception& e) {
      std::cout << "    " << real_label << ": FAILED: " << e.what() << '\n';
      ++failures;
    }
  }
  try {
    return measure_with(false);
  } catch (const std::exception& e) {
    std::cout << "    baselines: FAILED: " << e.what() << '\n';
    ++failures;
    return std::nullopt;
  }
}

void small_round_trips(const Placement& placement, const Budget& budget) {
  print_placement(placement.label);
  const char* real_label = "real channel (SendRequest + dispatch)";
  const auto figures = with_real_if_possible<RoundTrips>(
      [&](bool with_real) { return measure_round_trips(placement, with_real, budget); }, real_label);
  if (!figures) return;
  print_latency("raw futex ping-pong (baseline 1)", figures->raw);
  print_latency("unix socket ping-pong (baseline 2)", figures->socket);
  if (figures->spin) print_latency("spin-then-sleep futex (10 us spin)", *figures->spin);
  if (!figures->real) {
    const std::string missing = real_channel_missing();
    if (!missing.empty()) print_unavailable(real_label, missing);
    return;
  }
  const Sample& real = *figures->real;
  print_latency(real_label, real);
  print_ratio(real.median() / figures->raw.median(), "raw futex", Target{Goal::at_most, 1.5});
  print_ratio(real.median() / figures->socket.median(), "unix socket", Target{Goal::below, 1.0});
  if (figures->spin) print_ratio(real.median() / figures->spin->median(), "spin-then-sleep futex");
}

void bulk_replies(const Placement& placement, const Budget& budget) {
  print_placement(placement.label);
  const char* real_label = "real channel (WriteReply + SendRequest)";
  const double bytes = static_cast<double>(kBulkBytes);
  const auto figures = with_real_if_possible<BulkReplies>(
      [&](bool with_real) { return measure_bulk_replies(placement, with_real, budget); }, real_label);
  if (!figures) return;
  print_throughput("raw chunked futex (8192-byte frame)", figures->raw, bytes);
  if (figures->spin) print_throughput("spin-then-sleep chunked (10 us spin)", *figures->spin, bytes);
  if (!figures->real || !figures->list) {
    const std::string missing = real_channel_missing();
    if (!missing.empty()) print_unavailable(real_label, missing);
    return;
  }
  // Throughput ratios: the baseline's time over the real time.
  print_throughput(real_label, *figures->real, bytes);
  if (!bulk_bytes_per_second || placement.label == system_placement_label())
    bulk_bytes_per_second = bytes / figures->real->median();
  print_ratio(figures->raw.median() / figures->real->median(), "raw chunked throughput", Target{Goal::at_least, 0.7});
  if (figures->spin) print_ratio(figures->spin->median() / figures->real->median(), "spin-then-sleep chunked throughput");
  print_throughput("item list, same bytes (request 1, sel. 9)", *figures->list, bytes);
  print_ratio(figures->raw.median() / figures->list->median(), "raw chunked throughput (handler included)");
}

// (c) to (g) need the staged system; each Ruby driver prints its own lines.
void run_driver(const Options& options, const std::string& script, const std::vector<std::string>& extra) {
  std::vector<std::string> args = {"ruby", options.scripts_dir + "/" + script, "--stage", options.stage_dir};
  args.insert(args.end(), extra.begin(), extra.end());
  if (options.quick) args.push_back("--quick");
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  std::fflush(nullptr);
  const pid_t pid = fork();
  if (pid == 0) {
    execvp(argv[0], argv.data());
    std::perror("cannot start ruby for a system driver");
    _exit(127);
  }
  int status = 0;
  if (pid < 0 || waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    std::cout << "    " << script << ": FAILED\n";
    ++failures;
  }
}

// (c), (d), (e): whole runs, prints and the module-function loop.
void run_system_driver(const Options& options, const std::optional<Sample>& raw_unpinned) {
  std::vector<std::string> extra;
  if (raw_unpinned) extra = {"--raw-round-trip-us", std::to_string(raw_unpinned->median() * 1e6)};
  run_driver(options, "system_bench.rb", extra);
}

// (f), (g): item requests on a large tree against (e)'s loop, which the tree
// script runs itself, and the memory of host and script over a million item
// requests with the host's record ledger at exit.
void run_items_driver(const Options& options) { run_driver(options, "items_bench.rb", {}); }

// (i): Edit[i] over a 10,000-line document against (e)'s loop, run by the script itself.
void run_editor_driver(const Options& options) { run_driver(options, "editor_bench.rb", {}); }
// (h): document texts of 1 MiB against the bulk throughput of (b).
void run_documents_driver(const Options& options) {
  std::vector<std::string> extra;
  if (bulk_bytes_per_second) extra = {"--bulk-bytes-per-second", std::to_string(*bulk_bytes_per_second)};
  run_driver(options, "documents_bench.rb", extra);
}

Options parse(int argc, char** argv) {
  Options options;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--quick") {
      options.quick = true;
    } else if (arg == "--no-system") {
      options.system = false;
    } else if (arg == "--stage" && i + 1 < argc) {
      options.stage_dir = argv[++i];
    } else {
      std::cerr << "usage: channel_bench [--quick] [--no-system] [--stage DIR]\n";
      std::exit(2);
    }
  }
  return options;
}

// The channel's named objects go to a namespace of this run only, so a host
// running on the same account never meets them.
void use_own_namespace() {
  const std::string name = "bench-" + std::to_string(getpid());
  setenv("ZTL_NAMESPACE", name.c_str(), 1);
}

int run(const Options& options) {
  use_own_namespace();
  const Budgets budgets = budgets_for(options);
  print_title("Channel benchmark");
  print_note("figures are medians of " + std::to_string(budgets.small.runs) +
             " runs after a warm-up, the runs of a placement taking turns;");
  print_note("ratios are against baselines of this run; targets are informational");
  print_note("the spin-then-sleep lines with one CPU each are the stretch floor; where both sides share");
  print_note("two CPUs the scheduler often keeps them on one, and spinning there only delays the sleep");
  if (!two_cpus_online()) print_note("only one CPU online: the two-CPU placements are left out");

  print_section("(a) round trip of a small request (20-byte header + 4 bytes each way)");
  for (const auto& placement : placements()) small_round_trips(placement, budgets.small);

  print_section("(b) 16 MiB reply in chunks of 8172 bytes");
  for (const auto& placement : placements()) bulk_replies(placement, budgets.bulk);

  if (options.system) {
    print_section("whole system (staged host, plug-in and extension)");
    const auto raw_unpinned =
        attempt("raw futex", [&] { return measure_round_trips(unpinned(), false, budgets.small).raw; });
    if (raw_unpinned) print_latency("raw futex ping-pong, unpinned (reference)", *raw_unpinned);
    run_system_driver(options, raw_unpinned);
    run_items_driver(options);
    run_documents_driver(options);
    run_editor_driver(options);
  }
  std::cout << '\n' << (failures == 0 ? "done" : std::to_string(failures) + " measurement(s) FAILED") << '\n';
  return failures == 0 ? 0 : 1;
}

}  // namespace
}  // namespace bench

int main(int argc, char** argv) {
  try {
    return bench::run(bench::parse(argc, argv));
  } catch (const std::exception& e) {
    std::cerr << "channel_bench: " << e.what() << '\n';
    return 1;
  }
}
