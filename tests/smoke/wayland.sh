#!/usr/bin/env bash
# The real program under a Wayland compositor (weston, headless) with no X server: Qt's Wayland
# plugin opens its window and the new-profile window, and SIGTERM ends it cleanly. Skips (exit 77)
# only when weston cannot start. On a private session bus, so no tray host of the caller's joins.
# Usage: wayland.sh PATH/TO/vaulnix
set -euo pipefail
[ -n "${DBUS_SESSION_BUS_ADDRESS:-}" ] && [ -n "${WAYLAND_TEST_BUS:-}" ] ||
    exec env WAYLAND_TEST_BUS=1 dbus-run-session -- "$0" "$@"
source "$(dirname "$0")/x-session.sh"
unset DISPLAY
freshHome wayland

weston --backend=headless-backend.so --socket=vaulnix-test --idle-time=0 \
    >"$work/weston.log" 2>&1 &
pids+=($!)
if ! waitFor "[ -S '$XDG_RUNTIME_DIR/vaulnix-test' ] || ! kill -0 ${pids[-1]} 2>/dev/null" ||
    ! [ -S "$XDG_RUNTIME_DIR/vaulnix-test" ]; then
    echo "SKIPPED: weston did not start"; cat "$work/weston.log"; exit 77
fi
export WAYLAND_DISPLAY=vaulnix-test QT_QPA_PLATFORM=wayland

# The protocol log shows each window the program maps: its title, then its first buffer.
WAYLAND_DEBUG=client startProgram "$1"
mapped() { grep -q "xdg_toplevel@[0-9]*\.set_title(\"$1\")" "$work/program.log" &&
    grep -q 'xdg_surface@[0-9]*\.ack_configure' "$work/program.log" &&
    grep -q 'wl_surface@[0-9]*\.attach(wl_buffer' "$work/program.log"; }
waitFor "mapped 'Vaulnix'" || fail "the main window was not shown"
waitFor "mapped 'Vaulnix - New User Profile'" || fail "the new-profile window was not shown"
kill -0 "$program" || fail "the program ended"
echo "wayland: the main window and the new-profile window were shown"

kill -TERM "$program"
ended "$program" SIGTERM
echo "wayland: SIGTERM ended it cleanly"
echo "2 passed, 0 failed"
