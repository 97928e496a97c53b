#!/usr/bin/env bash
# Starts the real desktop program under Xvfb beside a tray host: it starts hidden with its icon in
# the tray, and the icon's menu ends it cleanly (desktop-keyboard runs without a tray, and checks
# the settings written at the end). Usage: desktop-smoke.sh PATH/TO/vaulnix
set -euo pipefail
source "$(dirname "$0")/x-session.sh"
program=$(readlink -f "$1")
startX

startTrayer() {
    trayer --edge top --align left --widthtype pixel --width 64 --heighttype pixel --height 24 \
        --SetDockType false --transparent false >>"$work/trayer.log" 2>&1 &
    trayerPid=$!
    pids+=($trayerPid)
    waitFor "xdotool search --class trayer >/dev/null 2>&1 || xdotool search --name '^panel\$' >/dev/null 2>&1"
}
startTrayer || { kill "$trayerPid" 2>/dev/null; startTrayer; } || fail "trayer did not start"
freshHome tray
startProgram "$program"
waitFor "xdotool search --name '^Vaulnix' >/dev/null 2>&1" || fail "tray: no window was created"
! xdotool search --onlyvisible --name '^Vaulnix' >/dev/null 2>&1 || fail "tray: the main window is visible at start"
# The icon sits in the tray's first slot at the top left; the menu's last item: Remove Vaulnix.
xdotool mousemove 12 12
waitFor "xdotool click 3 && sleep 0.3 && xdotool search --onlyvisible --class vaulnix >/dev/null 2>&1" ||
    fail "tray: the icon's menu did not open"
xdotool key Up Return
ended "$program" "tray: the menu's last item"
echo "smoke: tray ok"
echo "1 passed, 0 failed"
