#!/usr/bin/env bash
# Opens a 20 MB, 600,000-line project in Quillan and in FeatherPad, side by side on one Xvfb
# with openbox, measured from outside as a user would: from the start of the program until
# it has shown the file, answered Ctrl+End and then opened its file dialog for Ctrl+O (the
# next key a user could press). Each program runs three times; the median is reported.
# Usage: editor_vs_featherpad.sh PATH_TO_QUILLAN
set -euo pipefail
program=$(realpath "${1:?usage: editor_vs_featherpad.sh PATH_TO_QUILLAN}")
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
echo "project: $(stat -c %s "$project") bytes, $(wc -l < "$project") lines"

now() { date +%s.%N; }
# Runs one program on the project; prints the seconds until its file dialog is up.
measure() {
  local title=$1 dialog=$2
  shift 2
  local start end
  start=$(now)
  "$@" >/dev/null 2>&1 &
  local pid=$!
  local window
  window=$(xdotool search --sync --onlyvisible --name "$title" | head -1)
  xdotool windowactivate --sync "$window" >/dev/null 2>&1 || true
  xdotool key ctrl+End ctrl+o
  xdotool search --sync --onlyvisible --name "$dialog" >/dev/null
  end=$(now)
  kill "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
  echo "$start $end" | awk '{ printf "%.3f\n", $2 - $1 }'
}
median() { sort -n | awk '{ a[NR] = $1 } END { print a[int((NR + 1) / 2)] }'; }

quillan_times=() featherpad_times=()
for _ in 1 2 3; do
  quillan_times+=("$(measure "big.qlp" "Open Quillan Project" "$program" "$project")")
  rm -rf "$HOME/.config/featherpad"
  featherpad_times+=("$(measure "big.qlp" "Open file" featherpad --standalone "$project")")
done
q=$(printf '%s\n' "${quillan_times[@]}" | median)
f=$(printf '%s\n' "${featherpad_times[@]}" | median)
echo "Quillan:    ${quillan_times[*]} s (median $q s)"
echo "FeatherPad: ${featherpad_times[*]} s (median $f s)"
echo "$q $f" | awk '{ printf "Quillan / FeatherPad: %.2f\n", $1 / $2 }'
