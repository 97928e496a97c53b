#!/usr/bin/env bash
# Takes the README's screenshots of the real program under Xvfb: the main window with one
# action, the create-box window and the box contents window.
# Usage: docs/make-screenshots.sh [PATH/TO/vaulnix]   (default: build/app/vaulnix)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
program=$(readlink -f "${1:-$here/../build/app/vaulnix}")
out="$here/images"
source "$here/../tests/smoke/x-session.sh"
command -v import >/dev/null || fail "needs ImageMagick's import (scripts/install-deps.sh --docs)"

startX
freshHome docs
mkdir -p "$work/app" "$out"
cp "$program" "$work/app/vaulnix"
mkdir -p "$work/Projects/plans" "$work/Projects/budget"
echo "Draft" >"$work/Projects/plans/outline.txt"
head -c 30000 /dev/urandom >"$work/Projects/budget/2027.ods"
echo "Notes" >"$work/Projects/readme.txt"

shot() { import -window "$windowId" "$out/$1"; echo "wrote docs/images/$1"; }

"$work/app/vaulnix" >"$work/program.log" 2>&1 &
program=$!
pids+=($program)
createFirstProfile anna "correct horse"
xdotool windowsize --sync "$windowId" 760 260 2>/dev/null || true

newBoxAction "$work/Projects"
focusWindow "Vaulnix v1.0.0 - anna"
xdotool key F5
waitFor "[ -s '$work/app/Projects.vlx' ]" || fail "the run wrote no box"
sleep 0.5
focusWindow "Vaulnix v1.0.0 - anna"
shot main-window.png

# The create-box window, as File > New Box shows it.
xdotool key ctrl+n
focusWindow "Select Folder to Box"
typeText "$work/Projects"; xdotool key Return
focusWindow "Create Box"
shot create-box.png
xdotool key Escape

# The contents window: the list's popup on the (now extract) row, then "View Contents".
focusWindow "Vaulnix v1.0.0 - anna"
eval "$(xdotool getwindowgeometry --shell "$windowId")"
xdotool mousemove $((X + 60)) $((Y + 50)) click 1
xdotool click 3
sleep 0.3
xdotool key Down Down Return
focusWindow "Vaulnix Contents"
shot contents.png
xdotool key Escape
focusWindow "Vaulnix v1.0.0 - anna"
exitProgram "$program"
