#!/usr/bin/env bash
# Start-up against the floor: Quillan, FeatherPad and a bare Qt 6 editor window
# (bench/bare_editor.cpp) started in turn on one Xvfb (black root) with openbox, each timed by
# first_paint from its spawn to its painted window, the same way for all three. Each program
# keeps its own home across its runs and is started once unmeasured, so this is the everyday
# start; bench_startup (startup.sh) measures the very first one. RUNS (default 11) starts of
# each; medians and their ratios to the bare window are printed.
# Usage: startup_compare.sh BUILD_DIR [RUNS]
set -euo pipefail
build_dir=$(realpath "${1:?usage: startup_compare.sh BUILD_DIR [RUNS]}")
runs=${2:-11}
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/install-deps.sh" featherpad
QUILLAN_WM=openbox QUILLAN_XVFB_ARGS=-br
source "$root/scripts/x_session.sh"
echo "load: $(uptime)"
"$build_dir/bench/first_paint" "$runs" \
  Quillan "$build_dir/src/quillan" -- \
  FeatherPad /usr/bin/featherpad --standalone -- \
  Bare "$build_dir/bench/bare_editor"
