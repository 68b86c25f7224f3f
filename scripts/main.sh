#!/usr/bin/env bash
# Installs what the build needs, builds everything, and runs the host with the
# plug-in loaded on the bundled sample: it prints the plug-in's commands, then
# runs the sample script that reports the host through the extension.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh
stage=build/stage
"$stage/zentrella" version
"$stage/zentrella" commands
if [[ -f examples/scripts/hello.rb ]]; then
  "$stage/zentrella" run examples/scripts/hello.rb
fi
