#!/usr/bin/env bash
# Renders every dialog of the system, and the main window, into PNG files: scripts/screenshots.sh
# [FOLDER] (default build/screenshots). Uses a virtual X display when xvfb-run
# is there, else Qt's offscreen platform.
set -euo pipefail
cd "$(dirname "$0")/.."
folder=${1:-build/screenshots}
renderer=build/stage/ztl_render_dialogs
main_window=build/stage/ztl_render_main_window
for tool in "$renderer" "$main_window"; do
  [[ -x $tool ]] || { echo "build first (scripts/build.sh): $tool is missing" >&2; exit 1; }
done
# The main window on the sample projects, with the plug-in's commands.
main_window_arguments=("$folder" examples/sample-projects.json build/stage/Scriptlink.so)
if command -v xvfb-run >/dev/null; then
  xvfb-run -a -s "-screen 0 1280x1024x24 -dpi 96" "$renderer" "$folder"
  xvfb-run -a -s "-screen 0 1280x1024x24 -dpi 96" "$main_window" "${main_window_arguments[@]}"
else
  QT_QPA_PLATFORM=offscreen "$renderer" "$folder"
  QT_QPA_PLATFORM=offscreen "$main_window" "${main_window_arguments[@]}"
fi
