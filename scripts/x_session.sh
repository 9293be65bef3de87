# Sourced by every script that needs an X server of its own: the tests in tests/x11, the
# package and Windows checks, the screenshots and the start-up benches. It starts a private
# Xvfb and points DISPLAY at it, makes a scratch folder ($scratch) and a home of its own, and
# stops and removes everything when the script ends. Set before sourcing:
#   QUILLAN_WM=openbox       also start the openbox window manager (by default none runs)
#   QUILLAN_XVFB_ARGS=-br    more Xvfb options, here a black root window
#   QUILLAN_PRIVATE_HOME=0   keep the caller's HOME and XDG folders (XDG_RUNTIME_DIR is
#                            private all the same)
# Processes added to `pids` are stopped at the end too. A script that has more to undo sets
# its own EXIT trap after sourcing and calls x_session_cleanup from it.
set -euo pipefail
scratch=$(mktemp -d)
pids=()
x_session_cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$scratch"
}
trap x_session_cleanup EXIT

# Waits up to $2 tenths of a second for the command $1 to succeed.
wait_for() {
  local tries=$2
  until eval "$1" >/dev/null 2>&1; do
    tries=$((tries - 1))
    [ "$tries" -gt 0 ] || return 1
    sleep 0.1
  done
}

# Starts a new Xvfb (and the window manager asked for) and points DISPLAY at it; the test may
# stop it with stop_x_server, to see what the program does when its display goes away, and
# start another.
x_pids=()
start_x_server() {
  rm -f "$scratch/display"
  # shellcheck disable=SC2086 # QUILLAN_XVFB_ARGS holds separate options
  Xvfb -displayfd 3 -screen 0 1280x1024x24 ${QUILLAN_XVFB_ARGS:-} -nolisten tcp \
    3>"$scratch/display" >/dev/null 2>&1 &
  x_pids=($!)
  pids+=($!)
  wait_for '[ -s "$scratch/display" ]' 100 || { echo "Xvfb did not start" >&2; exit 1; }
  export DISPLAY=":$(cat "$scratch/display")"
  if [ "${QUILLAN_WM:-}" = openbox ]; then
    openbox --sm-disable >/dev/null 2>&1 &
    x_pids+=($!)
    pids+=($!)
    wait_for 'xprop -root _NET_SUPPORTING_WM_CHECK | grep -q "window id"' 100 ||
      { echo "openbox did not start" >&2; exit 1; }
  fi
}
stop_x_server() {
  kill "${x_pids[@]}" 2>/dev/null || true
  wait "${x_pids[@]}" 2>/dev/null || true
}

if [ "${QUILLAN_PRIVATE_HOME:-1}" != 0 ]; then
  mkdir -p "$scratch/home/.config" "$scratch/home/.local/share" "$scratch/home/.local/state"
  export HOME="$scratch/home" XDG_CONFIG_HOME="$scratch/home/.config"
  export XDG_DATA_HOME="$scratch/home/.local/share" XDG_STATE_HOME="$scratch/home/.local/state"
fi
mkdir -p "$scratch/runtime"
chmod 700 "$scratch/runtime"
export XDG_RUNTIME_DIR="$scratch/runtime"
export QT_QPA_PLATFORM=xcb
# Qt's xcb plugin hands strndup property data without a terminating NUL, which strict string
# checks report although strndup stops at the length; the library's own leaks at exit are
# not the program's either.
if [ -n "${ASAN_OPTIONS:-}" ]; then
  export ASAN_OPTIONS="${ASAN_OPTIONS//strict_string_checks=1/strict_string_checks=0}:detect_leaks=0"
fi
unset WAYLAND_DISPLAY
start_x_server
