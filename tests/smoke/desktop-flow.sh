#!/usr/bin/env bash
# Uses the real desktop program under Xvfb the way a person would: creates the first profile,
# logs off and on, makes a create action for a folder through File > New Box, runs it, sees the
# box on disk, runs again, sees the folder back, and quits.
# Usage: desktop-flow.sh PATH/TO/vaulnix
set -euo pipefail
source "$(dirname "$0")/x-session.sh"

startX
freshHome flow
# A private copy of the program, whose folder holds no profiles: it keeps them in the user's
# data folder, which is also the first default folder.
mkdir -p "$work/app"
cp "$1" "$work/app/vaulnix"
unset XDG_DATA_HOME
profiles="$HOME/.local/share/Vaulnix/Vaulnix"
mkdir -p "$work/Papers/notes"
echo "first letter" >"$work/Papers/letter.txt"
echo "a note" >"$work/Papers/notes/note.txt"

# Without a tray host the program shows its window and, with no profile yet, the new-profile
# window straight away.
"$work/app/vaulnix" >"$work/program.log" 2>&1 &
program=$!
pids+=($program)
createFirstProfile tester s3cret
[ -f "$profiles/tester.vlu" ] || fail "the profile was not written"
echo "flow: profile created and logged on"

# Log off; without a tray the login window comes back at once.
xdotool key alt+f l
focusWindow "Vaulnix - User Profiles"
typeText "s3cret"; xdotool key Return
focusWindow "Vaulnix v1.0.0 - tester"
echo "flow: logged off and on"

newBoxAction "$work/Papers"
focusWindow "Vaulnix v1.0.0 - tester"
xdotool key F5
waitFor "[ -s '$profiles/Papers.vlx' ]" || fail "the run wrote no box"
echo "flow: the run wrote the box"
rm -rf "$work/Papers"
xdotool key F5
waitFor "[ -f '$work/Papers/notes/note.txt' ]" || fail "the second run did not unpack the box"
grep -q "first letter" "$work/Papers/letter.txt" || fail "the unpacked file differs"
echo "flow: the second run unpacked the folder"

exitProgram "$program"
echo "1 passed, 0 failed"
