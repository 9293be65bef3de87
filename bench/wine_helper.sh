#!/usr/bin/env bash
# The Wine helper's start and one request through it, in the build's Wine prefix on a private
# Xvfb (the prefix is made on first use, as for the helper's test).
set -euo pipefail
build_dir=$(realpath "${1:?usage: wine_helper.sh BUILD_DIR}")
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/wine_prefix.sh"
source "$root/scripts/x_session.sh"
trap 'stop_wine_prefix; x_session_cleanup' EXIT
use_wine_prefix "$build_dir/wine-test-prefix"
QUILLAN_WINE_HELPER=$build_dir/src/quillan-wine-helper.exe \
QUILLAN_TEST_WINDOW_MAKER=$build_dir/wine-helper/tests/platform/quillan-window-maker.exe \
  "$build_dir/bench/bench_wine_helper"
