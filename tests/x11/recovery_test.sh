#!/usr/bin/env bash
# Unsaved work outlives the program: typed into an untitled and into a named document, then
# the program is killed (SIGKILL), ended by the session (SIGTERM, SIGHUP) or loses its X
# server; the next start offers the work and restores it byte for byte, still unsaved.
program=$(realpath "${1:?usage: recovery_test.sh PATH_TO_QUILLAN}")
fail() { echo "FAIL: $*"; exit 1; }

QUILLAN_WM=openbox
source "$(dirname "$0")/../../scripts/x_session.sh"
set +e  # exit statuses are checked where they matter
cd "$scratch"
copies="$XDG_STATE_HOME/quillan"

start() {
  "$program" "$@" >>"$scratch/log" 2>&1 &
  pid=$!
}
window_named() { xdotool search --onlyvisible --name "$1" 2>/dev/null | head -1; }
wait_window() {
  wait_for "[ -n \"\$(window_named '$1')\" ]" 150 || { cat "$scratch/log"; fail "$2: no window '$1'"; }
  xdotool windowactivate --sync "$(window_named "$1")" 2>/dev/null
}
type_lines() {
  local first=1 line
  for line in "$@"; do
    [ $first = 1 ] || xdotool key Return
    first=0
    xdotool type --delay 2 "$line"
  done
}
# The copy of a running program holds $1.
copy_holds() { grep -qs -- "$1" "$copies"/*.copy; }

lines=('Sub Main()' '    x = "kept"' 'End Sub')
printf "' start\r\n" >named.qlp
expected_untitled=$(printf 'Sub Main()\r\n    x = "kept"\r\nEnd Sub\r\n' | od -c)
expected_named=$(printf "' start\r\nSub Main()\r\n    x = \"kept\"\r\nEnd Sub\r\n" | od -c)

for kind in untitled named; do
  for ending in KILL TERM HUP display; do
    case="$kind document, $ending"
    rm -rf "$copies"
    printf "' start\r\n" >named.qlp
    if [ $kind = named ]; then start named.qlp; title='^Quillan - \[named\.qlp\]$'; else start; title='^Quillan - \[Untitled\]$'; fi
    wait_window "$title" "$case"
    [ $kind = named ] && xdotool key ctrl+End Return
    type_lines "${lines[@]}"
    if [ $ending != KILL ]; then
      # Time for the keys to arrive, not for the copy of a quiet moment: the ending writes it.
      sleep 0.7
      copy_holds "End Sub" && fail "$case: the copy came before the ending"
    fi
    case $ending in
      KILL)
        # Written by itself a moment after the typing stopped.
        wait_for 'copy_holds "End Sub"' 100 || fail "$case: no copy was written"
        if [ $kind = untitled ]; then
          # A second Quillan leaves the copy of a running one alone.
          first=$pid
          start
          wait_window '^Quillan - \[Untitled\]$' "$case, second program"
          sleep 1
          [ -z "$(window_named '^Recover Unsaved Work$')" ] || fail "$case: a running program's copy was offered"
          kill -TERM "$pid"
          wait "$pid"
          pid=$first
        fi
        kill -KILL "$pid"
        wait "$pid" 2>/dev/null
        ;;
      TERM | HUP)
        kill -"$ending" "$pid"
        wait "$pid"
        status=$?
        want=$((128 + $(kill -l "$ending")))
        [ $status = $want ] || fail "$case: exit status $status, not $want"
        ;;
      display)
        stop_x_server
        wait "$pid"
        start_x_server
        ;;
    esac
    copy_holds "End Sub" || fail "$case: the copy does not hold the work"

    start
    wait_window '^Recover Unsaved Work$' "$case, next start"
    xdotool key Return
    wait_window "$title" "$case, restored"
    rm -f out.qlp
    if [ $kind = named ]; then
      xdotool key alt+f
      sleep 0.3
      xdotool key s
      saved=named.qlp
      expected=$expected_named
    else
      xdotool key ctrl+s
      wait_window '^Save Quillan Project$' "$case, save"
      xdotool type --delay 2 "$scratch/out.qlp"
      xdotool key Return
      saved=out.qlp
      expected=$expected_untitled
    fi
    wait_for "[ \"\$(od -c <$saved)\" = \"\$expected\" ]" 50 ||
      fail "$case: restored and saved as $(od -c <$saved)"
    # Saved: the copy is gone, and the next start offers nothing.
    wait_for '! ls "$copies"/*.copy' 50 || fail "$case: the copy outlived the save"
    kill -TERM "$pid"
    wait "$pid"
    echo "$case: restored"
  done
done
echo "recovery: all cases passed"
