#!/usr/bin/env bash
# Runs every test of a build folder with a private HOME and XDG folders, so that no test
# reads or writes the real user's settings. GUI tests use the offscreen platform; tests that
# need an X server start their own Xvfb.
set -euo pipefail
build_dir=${1:?usage: run-tests.sh BUILD_DIR [CTEST_ARGS...]}
shift
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
mkdir -p "$scratch/home" "$scratch/config" "$scratch/data" "$scratch/state" "$scratch/runtime"
chmod 700 "$scratch/runtime"
export HOME="$scratch/home" XDG_CONFIG_HOME="$scratch/config" XDG_DATA_HOME="$scratch/data"
export XDG_STATE_HOME="$scratch/state"
export XDG_RUNTIME_DIR="$scratch/runtime"
export QT_QPA_PLATFORM=offscreen
unset DISPLAY WAYLAND_DISPLAY
root=$(cd "$(dirname "$0")/.." && pwd)
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:strict_string_checks=1
export LSAN_OPTIONS=suppressions=$root/scripts/lsan.supp:print_suppressions=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
cd "$build_dir"
ctest --output-on-failure -j "$(nproc)" "$@"
