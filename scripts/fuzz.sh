#!/usr/bin/env bash
# Builds the fuzz target with clang (build-fuzz/) and runs it for a bounded
# time: scripts/fuzz.sh [seconds], 60 by default. Any crash, sanitizer report
# or host record left behind fails the run; the input that caused it is kept
# in build-fuzz/fuzz-artifacts/.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
if ! [[ $seconds =~ ^[1-9][0-9]*$ ]]; then
  echo "usage: scripts/fuzz.sh [seconds]" >&2
  exit 2
fi
scripts/install-deps.sh
dir=build-fuzz
CC=clang CXX=clang++ cmake -S . -B "$dir" -G Ninja -DZTL_FUZZ=ON -DZTL_BUILD_BENCH=OFF >/dev/null
cmake --build "$dir" -j "$(nproc)" --target serve_frames_fuzzer
# New inputs go to a corpus of the build's own; the committed seeds stay as they are.
mkdir -p "$dir/fuzz-corpus" "$dir/fuzz-artifacts"
status=0
"$dir/tests/fuzz/serve_frames_fuzzer" "$dir/fuzz-corpus" tests/fuzz/corpus \
  -max_total_time="$seconds" -timeout=10 -max_len=32768 -rss_limit_mb=2048 \
  -artifact_prefix="$dir/fuzz-artifacts/" -print_final_stats=1 >"$dir/fuzz.log" 2>&1 || status=$?
grep -E "^(Done|stat::)" "$dir/fuzz.log" || true
if ((status != 0)); then
  echo "fuzz: failed (exit $status); full log in $dir/fuzz.log" >&2
  grep -m 20 -E "ERROR|runtime error|host records|Test unit written" "$dir/fuzz.log" >&2 || true
  exit 1
fi
echo "fuzz: no findings in ${seconds} s"
