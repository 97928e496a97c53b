#!/usr/bin/env bash
# The real desktop program under Xvfb and openbox, ended the way a desktop session ends it:
# what the user did must be there after SIGTERM and a new start, and the window comes back with
# the size it was closed with.
# Usage: desktop-session.sh PATH/TO/vaulnix
set -euo pipefail
source "$(dirname "$0")/x-session.sh"

terminate() { kill -TERM "$program"; ended "$program" SIGTERM; }
clientSize() { xdotool getwindowgeometry "$windowId" | sed -n 's/^ *Geometry: //p'; }

startWithPapers session "$1"
xdotool key ctrl+n # File > New Box, the create-box window's proposals confirmed
focusWindow "Select Folder to Box"
typeText "$work/Papers"; xdotool key Return
focusWindow "Create Box"
xdotool key Tab Tab Tab Tab Tab Tab space
focusWindow "Vaulnix v1.0.0 - tester"
xdotool windowsize --sync "$windowId" 640 420 2>/dev/null || true
sleep 0.3
size=$(clientSize)
terminate
echo "session: SIGTERM after adding an action ended the program cleanly"

# The action came back: running it writes the box.
startProgram
logOn tester s3cret
[ "$(clientSize)" = "$size" ] || fail "the window came back as $(clientSize), closed as $size"
echo "session: the window kept its size ($size)"
xdotool key F5
waitFor "[ -s '$XDG_DATA_HOME/Vaulnix/Vaulnix/Papers.vlx' ]" || fail "the action was lost with SIGTERM"
echo "session: the action survived SIGTERM"
terminate

# The run's turned-round kind came back too: the next run unpacks instead of packing.
rm -rf "$work/Papers"
startProgram
logOn tester s3cret
xdotool key F5
waitFor "[ -f '$work/Papers/letter.txt' ]" || fail "the run's result was lost with SIGTERM"
echo "session: the run's result survived SIGTERM"

focusWindow "Vaulnix v1.0.0 - tester"
exitProgram "$program"
echo "3 passed, 0 failed"
