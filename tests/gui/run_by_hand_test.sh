#!/usr/bin/env bash
# Runs a GUI test binary the way a developer runs it by hand: no test environment, only a
# HOME. The binary must pass and leave that home untouched.
set -euo pipefail
binary=${1:?usage: run_by_hand_test.sh GUI_TEST_BINARY}
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
mkdir "$scratch/home"
env -i PATH="$PATH" HOME="$scratch/home" ASAN_OPTIONS="${ASAN_OPTIONS:-}" \
  LSAN_OPTIONS="${LSAN_OPTIONS:-}" UBSAN_OPTIONS="${UBSAN_OPTIONS:-}" "$binary" >"$scratch/log" 2>&1 ||
  { cat "$scratch/log"; echo "FAIL: the test binary failed"; exit 1; }
left=$(find "$scratch/home" -mindepth 1 | head -5)
if [ -n "$left" ]; then
  echo "FAIL: the test wrote into the home it was started with:"
  echo "$left"
  exit 1
fi
echo "the home is untouched"
