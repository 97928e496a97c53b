#!/usr/bin/env bash
# The real desktop program under Xvfb and openbox, without a tray host, used with the keyboard
# alone: every menu, the row popup, and the OK and Cancel of every dialog.
# Usage: desktop-keyboard.sh PATH/TO/vaulnix
set -euo pipefail
source "$(dirname "$0")/x-session.sh"

startX
startWindowManager
freshHome keys
mkdir -p "$work/app"
cp "$1" "$work/app/vaulnix"
data="$XDG_DATA_HOME/Vaulnix/Vaulnix"
mkdir -p "$work/Papers"
echo "first letter" >"$work/Papers/letter.txt"
main="Vaulnix v1.0.0 - tester"

# The window with this title closes (Escape or a command did it).
gone() { waitFor "! xdotool search --onlyvisible --name '^$1\$' >/dev/null 2>&1" || fail "\"$1\" stayed open"; }
# Keys $2... open a dialog titled $1; Escape closes it again.
cancels() {
    local title=$1
    shift
    xdotool key "$@"
    focusWindow "$title"
    xdotool key Escape
    gone "$title"
    focusWindow "$main"
}

"$work/app/vaulnix" >"$work/program.log" 2>&1 &
program=$!
pids+=($program)
createFirstProfile tester s3cret
echo "keyboard: first profile and its settings confirmed with Enter"

# File: New Box, through the folder picker, cancelled and then confirmed with Enter in the folder field.
xdotool key alt+f n
focusWindow "Select Folder to Box"
typeText "$work/Papers"; xdotool key Return
focusWindow "Create Box"
xdotool key Escape
gone "Create Box"
focusWindow "$main"
xdotool key alt+f n
focusWindow "Select Folder to Box"
typeText "$work/Papers"; xdotool key Return
focusWindow "Create Box"
xdotool key Return Return Return
gone "Create Box"
focusWindow "$main"
echo "keyboard: File > New Box, Create Box cancelled with Escape and confirmed with Enter"

# Actions: Run writes the box.
xdotool key alt+a r
waitFor "[ -s '$data/Papers.vlx' ]" || fail "Actions > Run wrote no box"
echo "keyboard: Actions > Run"

# The row popup from the Menu key and Shift+F10; View Contents, then its window closed.
xdotool key Home
cancels "Vaulnix Contents" Menu v
cancels "Vaulnix Contents" shift+F10 v
# Enter edits the row (now an extract row): cancelled, then confirmed.
cancels "Select Extraction Folder..." Return
xdotool key Return
focusWindow "Select Extraction Folder..."
xdotool key Return
gone "Select Extraction Folder..."
focusWindow "$main"
echo "keyboard: row popup (Menu, Shift+F10) and the row's edit window"

# File: Open Box, its picker cancelled.
cancels "Open Box" alt+f o
# Options: Settings cancelled and confirmed; Delete Profile answered with Enter: No.
cancels "Settings" alt+o s
xdotool key alt+o s
focusWindow "Settings"
xdotool key Return
gone "Settings"
focusWindow "$main"
xdotool key alt+o d
focusWindow "Vaulnix"
xdotool key Return
gone "Vaulnix"
[ -f "$data/tester.vlu" ] || fail "Enter at \"Delete tester?\" deleted the profile"
focusWindow "$main"
echo "keyboard: File > Open Box, Options > Settings, Options > Delete Profile (Enter keeps it)"

# Help: About, closed with Escape and with Enter on OK.
cancels "About Vaulnix" alt+h a
xdotool key alt+h a
focusWindow "About Vaulnix"
xdotool key Return
gone "About Vaulnix"
focusWindow "$main"
echo "keyboard: Help > About"

# Actions: Startup Actions unpacks; Shutdown Actions packs again.
rm -rf "$work/Papers"
xdotool key alt+a t
waitFor "[ -f '$work/Papers/letter.txt' ]" || fail "Actions > Startup Actions did not unpack"
rm -f "$data/Papers.vlx"
xdotool key alt+a d
waitFor "[ -s '$data/Papers.vlx' ]" || fail "Actions > Shutdown Actions did not pack"
echo "keyboard: Actions > Startup Actions and Shutdown Actions"

# File: Logoff, the login cancelled with Escape and confirmed with Enter; then Exit.
xdotool key alt+f l
focusWindow "Vaulnix - User Profiles"
xdotool key Escape
gone "Vaulnix - User Profiles"
focusWindow "Vaulnix v1.0.0"
xdotool key alt+f i
focusWindow "Vaulnix - User Profiles"
typeText "s3cret"; xdotool key Return
focusWindow "$main"
echo "keyboard: File > Logoff and Log In"
exitProgram "$program"
echo "7 passed, 0 failed"
