#!/usr/bin/env bash
# The real desktop program under Xvfb, without a tray host: first profile, log off and on, File >
# New Box on a folder, Logoff leaves nothing of the user and runs nothing, a run writes the box,
# the next run unpacks it, File > Exit.
# Usage: desktop-flow.sh PATH/TO/vaulnix
set -euo pipefail
source "$(dirname "$0")/x-session.sh"

startX
freshHome flow
# A private copy, so profiles go to the user's data folder, also the first default folder.
copyProgram "$1" Papers/notes
unset XDG_DATA_HOME
profiles="$HOME/.local/share/Vaulnix/Vaulnix"
echo "first letter" >"$work/Papers/letter.txt"
echo "a note" >"$work/Papers/notes/note.txt"

startProgram
createFirstProfile tester s3cret
[ -f "$profiles/tester.vlu" ] || fail "the profile was not written"
echo "flow: profile created and logged on"

# Without a tray the login window comes back at once.
xdotool key alt+f l
logOn tester s3cret
echo "flow: logged off and on"

newBoxAction "$work/Papers"
focusWindow "Vaulnix v1.0.0 - tester"
# Logoff, then Escape at the login: nothing of the user stays, and F5 brings the login back
# instead of running her actions with no password.
xdotool key alt+f l
focusWindow "Vaulnix - User Profiles"
xdotool key Escape
focusWindow "Vaulnix v1.0.0"
xdotool key F5
focusWindow "Vaulnix - User Profiles"
[ ! -e "$profiles/Papers.vlx" ] || fail "F5 with nobody logged on wrote a box"
logOn tester s3cret
echo "flow: after Logoff the window showed nothing of the user and F5 asked for the login"
xdotool key F5
waitFor "[ -s '$profiles/Papers.vlx' ]" || fail "the run wrote no box"
echo "flow: the run wrote the box"
rm -rf "$work/Papers"
xdotool key F5
waitFor "[ -f '$work/Papers/notes/note.txt' ]" || fail "the second run did not unpack the box"
grep -q "first letter" "$work/Papers/letter.txt" || fail "the unpacked file differs"
echo "flow: the second run unpacked the folder"

exitProgram "$program"
echo "2 passed, 0 failed"
