#!/usr/bin/env bash
# Runs every benchmark program of a release build, then the start-up measurement.
set -euo pipefail
build_dir=${1:?usage: run-all.sh BUILD_DIR}
here=$(cd "$(dirname "$0")" && pwd)
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
export HOME="$scratch" XDG_CONFIG_HOME="$scratch/config" XDG_DATA_HOME="$scratch/data"
for b in "$build_dir"/bench/bench_*; do
  [ -x "$b" ] || continue
  case "$(basename "$b")" in bench_startup | bench_window_tools | bench_wine_helper) continue ;; esac  # below
  echo "== $(basename "$b")"
  "$b"
done
echo "== start-up"
bash "$here/startup.sh" "$build_dir/src/quillan" "$build_dir/bench/bench_startup"
echo "== start-up against FeatherPad and a bare Qt window"
bash "$here/startup_compare.sh" "$build_dir"
echo "== the Wine helper"
bash "$here/wine_helper.sh" "$build_dir"
echo "== editor against FeatherPad"
bash "$here/editor_vs_featherpad.sh" "$build_dir/src/quillan"
