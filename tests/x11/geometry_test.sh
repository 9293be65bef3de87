#!/usr/bin/env bash
# Starts Quillan under openbox several times in a row, closing it through the window manager
# each time: the outer size and position it stores must bring back the same outer size and
# position, so that the window does not grow by its frame at every start. API Spy, moved in
# the first run and closed, must open where it was left in the later runs, whatever the
# window manager would have chosen.
program=${1:?usage: geometry_test.sh PATH_TO_QUILLAN}
QUILLAN_WM=openbox
source "$(dirname "$0")/../../scripts/x_session.sh"

ini="$XDG_CONFIG_HOME/Quillan/Quillan.ini"
stored() { sed -n '/^\[size\]/,/^\[/p' "$ini" | grep -E '^(width|height|left|top)=' | sort | tr '\n' ' '; }

runs=()
for run in 1 2 3 4; do
  "$program" >"$scratch/run$run.log" 2>&1 &
  pid=$!
  wait_for 'xdotool search --onlyvisible --name "^Quillan - \[Untitled\]$"' 100 ||
    { echo "run $run: no window"; cat "$scratch/run$run.log"; exit 1; }
  wid=$(xdotool search --onlyvisible --name "^Quillan - \[Untitled\]$" | head -1)
  sleep 1  # let the window manager frame and place it
  outer=$(xdotool getwindowgeometry "$wid" | tr '\n' ' ')
  xdotool windowactivate --sync "$wid" key ctrl+a
  wait_for 'xdotool search --onlyvisible --name "^API Spy$"' 100 || { echo "run $run: no API Spy"; exit 1; }
  spy=$(xdotool search --onlyvisible --name "^API Spy$" | head -1)
  sleep 0.5
  if [ "$run" = 1 ]; then
    xdotool windowmove --sync "$spy" 700 500
    sleep 0.5
    spy_left=$(xdotool getwindowgeometry "$spy" | grep Position)
  elif [ "$(xdotool getwindowgeometry "$spy" | grep Position)" != "$spy_left" ]; then
    echo "FAIL: run $run opened API Spy at $(xdotool getwindowgeometry "$spy" | grep Position)," \
      "it was left at$spy_left"
    exit 1
  fi
  wmctrl -ic "$spy"
  wmctrl -ic "$wid"
  wait_for '! kill -0 $pid' 100 || { echo "run $run: the window did not close"; exit 1; }
  runs+=("$(stored)")
  echo "run $run: stored ${runs[-1]}; window $outer"
done
for run in 2 3 4; do
  if [ "${runs[$((run - 1))]}" != "${runs[0]}" ]; then
    echo "FAIL: run $run stored ${runs[$((run - 1))]}, run 1 stored ${runs[0]}"
    exit 1
  fi
done
echo "the stored geometry is stable over 4 starts; API Spy opened where it was left"
