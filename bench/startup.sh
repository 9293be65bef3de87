#!/usr/bin/env bash
# Start-up time to the painted main window, and the window tools on a real X server, with an
# empty settings store: bench_startup starts Quillan ten times under its own Xvfb (black root,
# no window manager) and measures from outside the program; it gives each start a home of its
# own, so the caller's HOME is kept here.
set -euo pipefail
program=${1:?usage: startup.sh PATH_TO_QUILLAN BENCH_STARTUP}
bench=${2:?usage: startup.sh PATH_TO_QUILLAN BENCH_STARTUP}
QUILLAN_XVFB_ARGS=-br QUILLAN_PRIVATE_HOME=0
source "$(dirname "$0")/../scripts/x_session.sh"
QUILLAN_PROGRAM=$(realpath "$program") "$bench"
# The window tools on the same X server.
"$(dirname "$bench")/bench_window_tools"
