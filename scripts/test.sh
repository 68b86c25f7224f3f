#!/usr/bin/env bash
# Builds and runs the whole test suite; --sanitize runs it under
# AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh "$@"
dir=build
[[ ${1:-} == --sanitize ]] && dir=build-sanitize
ctest --test-dir "$dir" --output-on-failure -j 2 --timeout 300
