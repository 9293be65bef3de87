#!/usr/bin/env bash
# Start-up time to the painted main window, and the window tools on a real X server, with an empty settings store: bench_startup
# starts Quillan ten times under its own Xvfb (black root, no window manager) and measures
# from outside the program.
set -euo pipefail
program=${1:?usage: startup.sh PATH_TO_QUILLAN BENCH_STARTUP}
bench=${2:?usage: startup.sh PATH_TO_QUILLAN BENCH_STARTUP}
scratch=$(mktemp -d)
Xvfb -displayfd 3 -screen 0 1280x1024x24 -br -nolisten tcp 3>"$scratch/display" >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null; rm -rf "$scratch"' EXIT
for _ in $(seq 50); do [ -s "$scratch/display" ] && break; sleep 0.1; done
export DISPLAY=":$(cat "$scratch/display")" QT_QPA_PLATFORM=xcb XDG_RUNTIME_DIR="$scratch/runtime"
mkdir -m 700 "$scratch/runtime"
QUILLAN_PROGRAM=$(realpath "$program") "$bench"
# The window tools on the same X server.
"$(dirname "$bench")/bench_window_tools"
