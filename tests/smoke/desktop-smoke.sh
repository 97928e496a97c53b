#!/usr/bin/env bash
# Starts the real desktop program under Xvfb, once beside a tray host and once without one, and
# checks that it ends cleanly with its settings written. Usage: desktop-smoke.sh PATH/TO/vaulnix
set -euo pipefail
source "$(dirname "$0")/x-session.sh"
program=$(readlink -f "$1")
startX

# 1. With a tray host: starts hidden with its icon in the tray; the icon's menu ends it.
startTrayer() {
    trayer --edge top --align left --widthtype pixel --width 64 --heighttype pixel --height 24 \
        --SetDockType false --transparent false >>"$work/trayer.log" 2>&1 &
    trayerPid=$!
    pids+=($trayerPid)
    waitFor "xdotool search --class trayer >/dev/null 2>&1 || xdotool search --name '^panel\$' >/dev/null 2>&1"
}
startTrayer || { kill "$trayerPid" 2>/dev/null; startTrayer; } || fail "trayer did not start"
freshHome tray
"$program" >"$work/tray.log" 2>&1 &
pid=$!
waitFor "xdotool search --name '^Vaulnix' >/dev/null 2>&1" || fail "tray: no window was created"
if xdotool search --onlyvisible --name '^Vaulnix' >/dev/null 2>&1; then
    fail "tray: the main window is visible at start"
fi
# The icon sits in the tray's first slot at the top left; the menu's last item is
# "&Remove Vaulnix".
xdotool mousemove 12 12
waitFor "xdotool click 3 && sleep 0.3 && xdotool search --onlyvisible --class vaulnix >/dev/null 2>&1" ||
    fail "tray: the icon's menu did not open"
xdotool key Up Return
waitFor "! kill -0 $pid 2>/dev/null" || fail "tray: the program did not end"
wait "$pid" || fail "tray: the program exited with status $?"
grep -q '^MainWidth=' "$XDG_CONFIG_HOME/Vaulnix/Vaulnix.conf" || fail "tray: settings not written"
echo "smoke: tray ok"
kill "$trayerPid" 2>/dev/null || true
wait "$trayerPid" 2>/dev/null || true
waitFor "! xdotool search --class trayer >/dev/null 2>&1" || fail "trayer did not end"

# 2. Without a tray host: the window shows itself (with the new-profile window in front);
# File > Exit ends the program.
freshHome notray
"$program" >"$work/notray.log" 2>&1 &
pid=$!
focusWindow "Vaulnix - New User Profile"
xdotool key Escape
focusWindow "Vaulnix"
exitProgram "$pid"
echo "smoke: no tray ok"
echo "2 passed, 0 failed"
