#!/usr/bin/env bash
# The real desktop program under Xvfb and openbox, without a tray host, used with the keyboard
# alone: every menu, the row popup and the row's edit, and a way out of every dialog. Which key
# does what in each dialog, on both themes, is the dialog keys test's.
# Usage: desktop-keyboard.sh PATH/TO/vaulnix
set -euo pipefail
source "$(dirname "$0")/x-session.sh"

main="Vaulnix v1.0.0 - tester"

# Keys $3... open the window titled $2; the keys $1 close it again.
closesWith() {
    local keys=$1 title=$2
    shift 2
    [ $# -eq 0 ] || xdotool key "$@"
    focusWindow "$title"
    xdotool key $keys
    waitFor "! xdotool search --onlyvisible --name '^$title\$' >/dev/null 2>&1" || fail "\"$title\" stayed open"
    focusWindow "${back:-$main}"
}

startWithPapers keys "$1"
data="$XDG_DATA_HOME/Vaulnix/Vaulnix"
xdotool key alt+f n
focusWindow "Select Folder to Box"
typeText "$work/Papers"; xdotool key Return
closesWith "Return Return Return" "Create Box" # Enter walks name, box file and folder, and confirms
xdotool key alt+a r
waitFor "[ -s '$data/Papers.vlx' ]" || fail "Actions > Run wrote no box"
echo "keyboard: first profile, File > New Box confirmed, Actions > Run"

xdotool key Home
closesWith Escape "Vaulnix Contents" Menu v
closesWith Return "Select Extraction Folder..." F2
echo "keyboard: the row popup from Menu, the row's edit from F2"

closesWith Escape "Open Box" alt+f o
closesWith Return "Settings" alt+o s
closesWith Return "Vaulnix" alt+o d
[ -f "$data/tester.vlu" ] || fail "Enter at \"Delete tester?\" deleted the profile"
closesWith Escape "About Vaulnix" alt+h a
echo "keyboard: File > Open Box, Options > Settings and Delete Profile (Enter keeps it), Help > About"

rm -rf "$work/Papers"
xdotool key alt+a t
waitFor "[ -f '$work/Papers/letter.txt' ]" || fail "Actions > Startup Actions did not unpack"
rm -f "$data/Papers.vlx"
xdotool key alt+a d
waitFor "[ -s '$data/Papers.vlx' ]" || fail "Actions > Shutdown Actions did not pack"
echo "keyboard: Actions > Startup Actions and Shutdown Actions"

back="Vaulnix v1.0.0" closesWith Escape "Vaulnix - User Profiles" alt+f l
xdotool key alt+f i
logOn tester s3cret
echo "keyboard: File > Logoff, the login cancelled, File > Log In"
exitProgram "$program"
echo "5 passed, 0 failed"
