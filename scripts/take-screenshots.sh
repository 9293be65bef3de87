#!/usr/bin/env bash
# Takes the README's screenshots of the main window, in light and in dark colours (the
# Adwaita and Adwaita-Dark styles), on a private Xvfb with openbox:
#   take-screenshots.sh PROGRAM OUT_DIR
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
program=$(realpath "${1:?usage: take-screenshots.sh PROGRAM OUT_DIR}")
out=$(realpath -m "${2:?usage: take-screenshots.sh PROGRAM OUT_DIR}")
bash "$root/scripts/install-deps.sh" adwaita-qt6
mkdir -p "$out"
QUILLAN_WM=openbox
source "$root/scripts/x_session.sh"
cat >"$scratch/demo.qlp" <<'CODE'
Private Sub Command1_Click()
    ' Hide the editor's window until the user asks for it again
    Dim hWnd As Long
    hWnd& = FindWindow("Notepad", vbNullString)
    If hWnd& <> 0 Then
        Call ShowWindow(hWnd&, SW_HIDE)
        MsgBox "Hidden: " & Str$(hWnd&)
    End If
End Sub
CODE
sed -i 's/$/\r/' "$scratch/demo.qlp"
for scheme in light dark; do
  style=Adwaita
  [ "$scheme" = dark ] && style=Adwaita-Dark
  QT_STYLE_OVERRIDE=$style "$program" "$scratch/demo.qlp" >"$scratch/log" 2>&1 &
  pid=$!
  wait_for "xdotool search --onlyvisible --name '^Quillan - \\[demo\\.qlp\\]$'" 150 || { cat "$scratch/log"; exit 1; }
  wid=$(xdotool search --onlyvisible --name '^Quillan - \[demo\.qlp\]$' | head -1)
  xdotool windowsize "$wid" 720 400
  xdotool windowmove "$wid" 40 60
  sleep 1
  import -window "$wid" -frame "$out/screenshot-$scheme.png"
  kill "$pid"
  wait "$pid" 2>/dev/null || true
done
ls "$out"/screenshot-*.png
