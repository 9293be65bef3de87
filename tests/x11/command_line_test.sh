#!/usr/bin/env bash
# The command line through the real program: a session without a display, file names the
# toolkit or UTF-8 would swallow, several names, and a save beyond the file-size limit.
program=$(realpath "${1:?usage: command_line_test.sh PATH_TO_QUILLAN}")
fail() { echo "FAIL: $*"; exit 1; }

# No display: a plain message and status 1, not the toolkit's abort.
out=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$program" 2>&1) && fail "started without a display"
[ $? -eq 1 ] || fail "exit status without a display"
grep -q "^Quillan needs a graphical session (an X11 or Wayland display); none was found" <<<"$out" ||
  fail "no display: $out"
out=$(env -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM DISPLAY=:4095 "$program" 2>&1) && fail "started on a dead display"
grep -q 'the X11 display ":4095" does not answer' <<<"$out" || fail "dead display: $out"

# --help and --version answer on the terminal, with or without a display.
out=$(env -u DISPLAY -u WAYLAND_DISPLAY "$program" --help) || fail "--help: exit status $?"
grep -q '^Usage: quillan \[PROJECT\]$' <<<"$out" || fail "--help: $out"
out=$(env -u DISPLAY -u WAYLAND_DISPLAY "$program" --version) || fail "--version: exit status $?"
grep -Eq '^Quillan [0-9]+\.[0-9]+$' <<<"$(head -1 <<<"$out")" || fail "--version: $out"
# The licence, stated the way GNU programs do.
licence='License GPLv3+: GNU GPL version 3 or later <https://gnu.org/licenses/gpl.html>.
This is free software: you are free to change and redistribute it.
There is NO WARRANTY, to the extent permitted by law.'
[ "$(tail -3 <<<"$out")" = "$licence" ] || fail "--version states no licence: $out"

QUILLAN_WM=openbox
source "$(dirname "$0")/../../scripts/x_session.sh"
cd "$scratch"

# Starts the program with the given arguments; waits for a window whose title matches $1.
start() {
  local title=$1
  shift
  "$program" "$@" >"$scratch/log" 2>&1 &
  pid=$!
  wait_for "xdotool search --onlyvisible --name '$title'" 100 || { cat "$scratch/log"; fail "no window '$title' for: $*"; }
}
stop() {
  kill "$pid" 2>/dev/null
  wait "$pid" 2>/dev/null || true
}
# Whether a message box (a window titled exactly "Quillan") is up.
message_shown() { xdotool search --onlyvisible --name '^Quillan$' >/dev/null 2>&1; }

printf 'x = 1\r\n' >./-reverse
start '^Quillan - \[-reverse\]$' -reverse
sleep 0.5
message_shown && fail "-reverse: a message appeared"
stop

# A file named like an option opens through a path or after "--".
printf 'h = 1\r\n' >./--help
start '^Quillan - \[--help\]$' ./--help
stop
start '^Quillan - \[--help\]$' -- --help
stop

printf 'x = 2\r\n' >"$(printf 'caf\xe9.qlp')"
start '^Quillan - \[caf.*\.qlp\]$' "$(printf 'caf\xe9.qlp')"
sleep 0.5
message_shown && fail "a Latin-1 name: a message appeared"
stop

printf 'a\r\n' >a.qlp
printf 'b\r\n' >b.qlp
start '^Quillan - \[a\.qlp\]$' a.qlp b.qlp
wait_for message_shown 50 || fail "several names: no message"
stop

# A save beyond the file-size limit (1 KB) reports "File too large" and the program lives.
head -c 4000 /dev/zero | tr '\0' 'x' >big.qlp
before=$(md5sum <big.qlp)
"$program" big.qlp >"$scratch/log" 2>&1 &
pid=$!
prlimit --pid "$pid" --fsize=1024
wait_for "xdotool search --onlyvisible --name '^Quillan - \[big\.qlp\]$'" 100 || fail "big.qlp did not open"
wid=$(xdotool search --onlyvisible --name '^Quillan - \[big\.qlp\]$' | head -1)
xdotool windowactivate --sync "$wid"
sleep 0.3
xdotool type --delay 20 "y"
xdotool key alt+f
sleep 0.3
xdotool key s
wait_for message_shown 50 || fail "the failed save showed no message"
kill -0 "$pid" 2>/dev/null || fail "the program died on the file-size limit"
[ "$(md5sum <big.qlp)" = "$before" ] || fail "the failed save changed the file"
stop
echo "command line: all cases passed"
