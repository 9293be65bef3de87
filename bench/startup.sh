#!/usr/bin/env bash
# Start-up time to the first painted main window, with an empty settings store: starts
# Quillan ten times under its own Xvfb and prints each time and the median.
set -euo pipefail
program=${1:?usage: startup.sh PATH_TO_QUILLAN}
runs=${RUNS:-10}
scratch=$(mktemp -d)
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$scratch/display" >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null; rm -rf "$scratch"' EXIT
for _ in $(seq 50); do [ -s "$scratch/display" ] && break; sleep 0.1; done
export DISPLAY=":$(cat "$scratch/display")" QT_QPA_PLATFORM=xcb XDG_RUNTIME_DIR="$scratch/runtime"
mkdir -m 700 "$scratch/runtime"
times=()
for i in $(seq "$runs"); do
  rm -rf "$scratch/home"
  mkdir -p "$scratch/home"
  export HOME="$scratch/home" XDG_CONFIG_HOME="$scratch/home/.config" XDG_DATA_HOME="$scratch/home/.local/share"
  t0=$(date +%s%N)
  out=$(QUILLAN_BENCH_T0=$t0 "$program" | grep first-paint-ms | awk '{print $2}')
  echo "run $i: ${out} ms"
  times+=("$out")
done
median=$(printf '%s\n' "${times[@]}" | sort -n | awk '{a[NR]=$1} END {if (NR%2) print a[(NR+1)/2]; else print (a[NR/2]+a[NR/2+1])/2}')
echo "median start-up to first paint: ${median} ms"
