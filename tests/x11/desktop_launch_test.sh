#!/usr/bin/env bash
# A project opened through the desktop's launcher (GLib's, as file managers use it), with the
# program in a folder whose name holds a percent sign: the desktop entry that the program
# writes at its first start must be accepted by the launcher and start it with the project.
program=$(realpath "${1:?usage: desktop_launch_test.sh PATH_TO_QUILLAN}")
fail() { echo "FAIL: $*"; exit 1; }
command -v gio >/dev/null || fail "gio not found (scripts/install-deps.sh installs libglib2.0-bin)"

source "$(dirname "$0")/../../scripts/x_session.sh"
# GLib would announce the launch on the session bus: there is none here.
export DBUS_SESSION_BUS_ADDRESS="unix:path=$scratch/no-bus"

folder="$scratch/100%"
mkdir "$folder"
ln "$program" "$folder/quillan" 2>/dev/null || cp "$program" "$folder/quillan"

# The window's program, and the program itself when it was started through env or sh.
stop_window() {
  local wid pid
  for wid in $(xdotool search --onlyvisible --name "$1" 2>/dev/null); do
    pid=$(xdotool getwindowpid "$wid" 2>/dev/null) && kill "$pid" 2>/dev/null
  done
  return 0
}

# A start without a project registers the file type for this user.
entry="$XDG_DATA_HOME/applications/quillan.desktop"
"$folder/quillan" >"$scratch/log" 2>&1 &
pids+=($!)
wait_for "[ -s '$entry' ] && xdotool search --onlyvisible --name '^Quillan - \[Untitled\]$'" 100 ||
  { cat "$scratch/log"; fail "the first start showed no window or wrote no desktop entry"; }
stop_window '^Quillan - \[Untitled\]$'
grep -q '^Exec=.*/100%%/quillan" %f$' "$entry" || fail "unexpected Exec line: $(grep '^Exec=' "$entry")"

printf 'x = 1\r\n' >"$scratch/name.qlp"
gio launch "$entry" "$scratch/name.qlp" >"$scratch/gio.log" 2>&1 ||
  fail "the launcher refused the desktop entry: $(cat "$scratch/gio.log")"
# The launched program writes where gio does; the windows shown then tell what it did instead.
shown() { for wid in $(xdotool search --onlyvisible --name . 2>/dev/null); do xdotool getwindowname "$wid"; done; }
wait_for "xdotool search --onlyvisible --name '^Quillan - \[name\.qlp\]$'" 150 ||
  fail "no window 'Quillan - [name.qlp]' after the launch; windows: $(shown | tr '\n' ';') output: $(cat "$scratch/gio.log")"
stop_window '^Quillan - \[name\.qlp\]$'
echo "desktop launch: passed"
