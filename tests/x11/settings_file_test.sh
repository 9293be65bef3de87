#!/usr/bin/env bash
# The real program with a named pipe as its settings file: the window comes up, one message
# says that the settings cannot be kept, the program ends normally, and the pipe is left alone.
program=$(realpath "${1:?usage: settings_file_test.sh PATH_TO_QUILLAN}")
fail() { echo "FAIL: $*"; exit 1; }

QUILLAN_WM=openbox
source "$(dirname "$0")/../../scripts/x_session.sh"

settings=$XDG_CONFIG_HOME/Quillan/Quillan.ini
mkdir -p "${settings%/*}"
mkfifo "$settings"
"$program" >"$scratch/log" 2>&1 &
pid=$!
pids+=("$pid")
wait_for "xdotool search --onlyvisible --name '^Quillan - \[Untitled\]$'" 100 ||
  { cat "$scratch/log"; fail "no main window with a pipe as settings file"; }
wait_for "xdotool search --onlyvisible --name '^Quillan$'" 50 || fail "no message about the settings"
sleep 0.5
boxes=$(xdotool search --onlyvisible --name '^Quillan$')
[ "$(wc -l <<<"$boxes")" -eq 1 ] || fail "more than one message: $boxes"
xdotool windowactivate --sync "$boxes"
xdotool key Return
wait_for "! xdotool search --onlyvisible --name '^Quillan$'" 50 || fail "the message did not close"

# File > Exit stores the window's geometry: in memory, without another message.
main=$(xdotool search --onlyvisible --name '^Quillan - \[Untitled\]$' | head -1)
xdotool windowactivate --sync "$main"
xdotool key alt+f
sleep 0.3
xdotool key x
wait_for "! kill -0 $pid" 100 || fail "the program did not end at Exit"
wait "$pid" || fail "exit status $?"
[ -p "$settings" ] || fail "the pipe was replaced"
echo "settings file: all cases passed"
