#!/usr/bin/env bash
# Starts the real desktop program under Xvfb, once beside a tray host and once without one,
# drives it with the mouse and keyboard, and checks that it ends cleanly with its settings
# written. Usage: desktop-smoke.sh PATH/TO/vaulnix
set -euo pipefail

program=$(readlink -f "$1")
work=$(mktemp -d)
display=":$((90 + RANDOM % 100))"
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

fail() { echo "SMOKE FAILED: $*" >&2; exit 1; }

# Polls a condition for up to ~10 s.
waitFor() {
    local i
    for i in $(seq 1 100); do
        if eval "$1"; then return 0; fi
        sleep 0.1
    done
    return 1
}

Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
pids+=($!)
export DISPLAY=$display
waitFor "xdpyinfo >/dev/null 2>&1 || xdotool getmouselocation >/dev/null 2>&1" || fail "Xvfb did not start"

# Each run gets its own home, so settings and profiles land in the scratch folder.
startProgram() {
    export HOME="$work/home-$1"
    export XDG_CONFIG_HOME="$HOME/.config" XDG_RUNTIME_DIR="$HOME/run"
    mkdir -p "$XDG_CONFIG_HOME" "$XDG_RUNTIME_DIR"
    chmod 700 "$XDG_RUNTIME_DIR"
    "$program" >"$work/$1.log" 2>&1 &
    programPid=$!
}

settingsWritten() {
    grep -q '^MainWidth=' "$XDG_CONFIG_HOME/Vaulnix/Vaulnix.conf" 2>/dev/null
}

endsCleanly() {
    waitFor "! kill -0 $programPid 2>/dev/null" || fail "$1: the program did not end"
    wait "$programPid" || fail "$1: the program exited with status $?"
    settingsWritten || fail "$1: the settings were not written"
    echo "smoke: $1 ok"
}

# 1. With a tray host: starts hidden with its icon in the tray; the icon's menu ends it.
trayer --edge top --align left --widthtype pixel --width 64 --heighttype pixel --height 24 \
    --SetDockType false --transparent false >/dev/null 2>&1 &
trayerPid=$!
pids+=($trayerPid)
waitFor "xdotool search --class trayer >/dev/null 2>&1" || fail "trayer did not start"
startProgram tray
waitFor "xdotool search --name '^Vaulnix' >/dev/null 2>&1" || fail "tray: no window was created"
if xdotool search --onlyvisible --name '^Vaulnix' >/dev/null 2>&1; then
    fail "tray: the main window is visible at start"
fi
# The icon sits in the tray's first slot at the top left.
xdotool mousemove 12 12
waitFor "xdotool click 3 && sleep 0.3 && xdotool search --onlyvisible --class vaulnix >/dev/null 2>&1" ||
    fail "tray: the icon's menu did not open"
# The last item of the menu is "&Remove Vaulnix".
xdotool key Up Return
endsCleanly tray
kill "$trayerPid" 2>/dev/null || true

# 2. Without a tray host: the window shows itself, and File > Exit ends the program.
startProgram notray
waitFor "xdotool search --onlyvisible --name '^Vaulnix' >/dev/null 2>&1" || fail "no tray: the window is not shown"
window=$(xdotool search --onlyvisible --name '^Vaulnix' | head -n 1)
# A login window may be in front; close it first.
xdotool key --window "$window" Escape 2>/dev/null || true
xdotool windowactivate --sync "$window" 2>/dev/null || xdotool windowfocus --sync "$window"
xdotool key alt+f x
endsCleanly notray
echo "2 passed, 0 failed"
