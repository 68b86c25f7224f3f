#!/usr/bin/env bash
# Renders every dialog of the system into PNG files: scripts/screenshots.sh
# [FOLDER] (default build/screenshots). Uses a virtual X display when xvfb-run
# is there, else Qt's offscreen platform.
set -euo pipefail
cd "$(dirname "$0")/.."
folder=${1:-build/screenshots}
renderer=build/stage/ztl_render_dialogs
[[ -x $renderer ]] || { echo "build first (scripts/build.sh): $renderer is missing" >&2; exit 1; }
if command -v xvfb-run >/dev/null; then
  xvfb-run -a -s "-screen 0 1280x1024x24 -dpi 96" "$renderer" "$folder"
else
  QT_QPA_PLATFORM=offscreen "$renderer" "$folder"
fi
