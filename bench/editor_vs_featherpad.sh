#!/usr/bin/env bash
# Opens a 20 MB, 600,000-line project in Quillan and in FeatherPad, side by side on one Xvfb
# with openbox, measured from outside as a user would, the two programs taking turns:
#  - opening: from the start of the program until it has shown the file, answered Ctrl+End
#    and then opened its file dialog for Ctrl+O (the next key a user could press);
#  - typing: 200 keys at the start of the file, each from the key press (XTest) to its glyph
#    on the screen (bench/key_to_glyph); the first key after opening counts like the others.
#    The slowest key is also given among the keys during which the machine ran at its usual
#    pace, as a watching thread of the probe saw it: held back by 2 ms at most, its fixed
#    work slowed less than twice over. A key outside those was slowed by the machine (its
#    processors busy elsewhere, or running slow or not at all beneath the system);
#  - memory: the peak resident size (VmHWM) of opening the file, before the first key.
# Usage: editor_vs_featherpad.sh PATH_TO_QUILLAN [RUNS]   (RUNS of each, 3 by default)
set -euo pipefail
program=$(realpath "${1:?usage: editor_vs_featherpad.sh PATH_TO_QUILLAN [RUNS]}")
runs=${2:-3}
probe=$(dirname "$program")/../bench/key_to_glyph
[ -x "$probe" ] || { echo "no $probe: build the key_to_glyph target" >&2; exit 1; }
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/install-deps.sh" featherpad
# One Xvfb with openbox, and a home of our own.
QUILLAN_WM=openbox
source "$root/scripts/x_session.sh"

# About 20 MB in about 600,000 lines of typical module code, CR LF line ends.
project="$scratch/big.qlp"
awk 'BEGIN {
  split("Private Sub Command1_Click()|    Dim hWnd As Long, Result As Long|    hWnd& = FindWindow(\"Notepad\", vbNullString)|    If hWnd& <> 0 Then Call ShowWindow(hWnd&, SW_SHOW)|    Text1.Text = Text1.Text & \"Found: \" & Str$(hWnd&)|    End If|End Sub", l, "|")
  for (i = 0; size < 20 * 1024 * 1024; i++) { s = l[i % 7 + 1]; printf "%s\r\n", s; size += length(s) + 2 }
}' > "$project"
project_bytes=$(stat -c %s "$project")
echo "project: $project_bytes bytes, $(wc -l < "$project") lines; $(nproc) cores; load:$(uptime | sed 's/.*load average://')"

now() { date +%s.%N; }
median() { sort -n | awk '{ a[NR] = $1 } END { print a[int((NR + 1) / 2)] }'; }
start_quillan() {
  # A run that typed and was ended left a recovery copy; each start is a fresh one.
  rm -rf "$XDG_STATE_HOME/quillan"
  "$program" "$project" >/dev/null 2>&1 &
}
start_featherpad() {
  rm -rf "$HOME/.config/featherpad"
  featherpad --standalone "$project" >/dev/null 2>&1 &
}

# Runs one program on the project; prints the seconds until its file dialog is up.
measure_open() {
  local start end pid window
  start=$(now)
  "start_$1"
  pid=$!
  window=$(timeout 120 xdotool search --sync --onlyvisible --name "big.qlp" | head -1)
  xdotool windowactivate --sync "$window" >/dev/null 2>&1 || true
  xdotool key ctrl+End ctrl+o
  timeout 120 xdotool search --sync --onlyvisible --name "$2" >/dev/null
  end=$(now)
  kill "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
  echo "$start $end" | awk '{ printf "%.3f\n", $2 - $1 }'
}

# Waits until the process has used no processor time for half a second: the file is open
# and everything it started on opening has finished.
wait_idle() {
  local before after quiet=0
  before=$(awk '{ print $14 + $15 }' "/proc/$1/stat")
  while [ "$quiet" -lt 5 ]; do
    sleep 0.1
    after=$(awk '{ print $14 + $15 }' "/proc/$1/stat")
    if [ "$after" = "$before" ]; then quiet=$((quiet + 1)); else quiet=0; fi
    before=$after
  done
}
peak_kb() { awk '/^VmHWM:/ { print $2 }' "/proc/$1/status"; }

# Opens the project in one program and waits until it is idle with the keyboard focus;
# sets pid and window.
open_idle() {
  "start_$1"
  pid=$!
  window=$(timeout 120 xdotool search --sync --onlyvisible --name "big.qlp" | head -1)
  wait_idle "$pid"
  # Both windows the same size, so that both draw the same amount of text.
  xdotool windowactivate --sync "$window" windowsize --sync "$window" 900 700 >/dev/null 2>&1 || true
  sleep 0.3
  wait_idle "$pid"
}
close() {
  kill "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
}

# The band of each program's window that shows the line typed into: found once, with one
# key, in a run of its own.
declare -A band
for name in quillan featherpad; do
  open_idle "$name"
  band[$name]=$("$probe" find "$window")
  close
  echo "$name types into the band x y width height = ${band[$name]}"
done

# Each run: the peak size after opening, then 200 keys (the first one right after opening).
type_run() {
  open_idle "$1"
  peak_kb "$pid" >>"$scratch/$1.peak"
  # shellcheck disable=SC2086 # the band is four numbers
  echo "typing in $1" >&2
  "$probe" type "$window" ${band[$1]} 200 40 >"$scratch/$1.keys"
  awk 'NR == 1 { print $1 }' "$scratch/$1.keys" >>"$scratch/$1.first"
  awk '{ print $1 }' "$scratch/$1.keys" >>"$scratch/$1.all"
  # The keys during which the machine ran at its usual pace.
  awk '$2 <= 2 && $3 < 2 { print $1 }' "$scratch/$1.keys" >>"$scratch/$1.steady"
  # Which key of its run each time was, to tell a stall at a moment from a slow key.
  awk '{ print $1, NR }' "$scratch/$1.keys" >>"$scratch/$1.numbered"
  close
}

open_quillan=() open_featherpad=()
for _ in $(seq "$runs"); do
  open_quillan+=("$(measure_open quillan "Open Quillan Project")")
  open_featherpad+=("$(measure_open featherpad "Open file")")
  type_run quillan
  type_run featherpad
done

report() {
  local name=$1 label=$2 opens=$3
  local keys=$scratch/$name.all
  local open_median peak ratio
  open_median=$(tr ' ' '\n' <<<"$opens" | median)
  peak=$(median <"$scratch/$name.peak")
  ratio=$(awk -v p="$peak" -v b="$project_bytes" 'BEGIN { printf "%.2f", p * 1024 / b }')
  printf '%-11s open %s s (median %s s); keys: median %s ms, slowest %s ms (the key numbers of the three slowest: %s), first keys %s ms; peak RSS %d MB (%sx the file)\n' \
    "$label:" "$opens" "$open_median" "$(median <"$keys")" "$(sort -n "$keys" | tail -1)" \
    "$(sort -n "$scratch/$name.numbered" | tail -3 | awk '{ print $2 }' | tr '\n' ' ' | sed 's/ $//')" \
    "$(tr '\n' ' ' <"$scratch/$name.first" | sed 's/ $//')" $((peak / 1024)) "$ratio"
  printf '%-11s slowest of the %d keys the machine ran at its usual pace for: %s ms (%d keys held up or slowed)\n' \
    "" "$(wc -l <"$scratch/$name.steady")" "$(sort -n "$scratch/$name.steady" | tail -1)" \
    $(($(wc -l <"$keys") - $(wc -l <"$scratch/$name.steady")))
  eval "${name}_open=$open_median ${name}_key=$(median <"$keys")"
}
report quillan "Quillan" "${open_quillan[*]}"
report featherpad "FeatherPad" "${open_featherpad[*]}"
# shellcheck disable=SC2154 # set by report
awk -v qo="$quillan_open" -v fo="$featherpad_open" -v qk="$quillan_key" -v fk="$featherpad_key" \
  'BEGIN { printf "Quillan / FeatherPad: opening %.2f, key median %.2f\n", qo / fo, qk / fk }'
