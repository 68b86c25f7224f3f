#!/usr/bin/env bash
# Builds the fuzz targets with clang (build-fuzz/) and runs each for a bounded
# time: scripts/fuzz.sh [seconds] [target...], 60 seconds per target by
# default, all targets unless some are named (serve_frames, project_file,
# command_file). Any crash, sanitizer report or broken invariant fails the run;
# the input that caused it is kept in build-fuzz/fuzz-artifacts/.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
if ! [[ $seconds =~ ^[1-9][0-9]*$ ]]; then
  echo "usage: scripts/fuzz.sh [seconds] [serve_frames|project_file|command_file]..." >&2
  exit 2
fi
shift $(($# > 0 ? 1 : 0))
targets=("$@")
((${#targets[@]} > 0)) || targets=(serve_frames project_file command_file)
declare -A seeds=([serve_frames]=corpus [project_file]=project_corpus [command_file]=command_corpus)
for target in "${targets[@]}"; do
  if [[ -z ${seeds[$target]:-} ]]; then
    echo "fuzz: unknown target $target (serve_frames, project_file, command_file)" >&2
    exit 2
  fi
done
scripts/install-deps.sh
dir=build-fuzz
CC=clang CXX=clang++ cmake -S . -B "$dir" -G Ninja -DZTL_FUZZ=ON -DZTL_BUILD_BENCH=OFF >/dev/null
cmake --build "$dir" -j "$(nproc)" --target "${targets[@]/%/_fuzzer}"
mkdir -p "$dir/fuzz-artifacts"
failed=0
for target in "${targets[@]}"; do
  # New inputs go to a corpus of the build's own; the committed seeds stay as they are.
  corpus="$dir/fuzz-corpus/$target"
  log="$dir/fuzz-$target.log"
  mkdir -p "$corpus"
  status=0
  "$dir/tests/fuzz/${target}_fuzzer" "$corpus" "tests/fuzz/${seeds[$target]}" \
    -max_total_time="$seconds" -timeout=10 -max_len=32768 -rss_limit_mb=2048 \
    -artifact_prefix="$dir/fuzz-artifacts/$target-" -print_final_stats=1 >"$log" 2>&1 || status=$?
  echo "fuzz: $target"
  grep -E "^(Done|stat::number_of_executed_units|stat::new_units_added)" "$log" || true
  if ((status != 0)); then
    echo "fuzz: $target failed (exit $status); full log in $log" >&2
    grep -m 20 -E "ERROR|runtime error|host records|loads differently|does not load|Test unit written" "$log" >&2 || true
    failed=1
  fi
done
((failed == 0)) || exit 1
echo "fuzz: no findings in ${seconds} s for each of ${targets[*]}"
