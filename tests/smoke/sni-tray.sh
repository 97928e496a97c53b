#!/usr/bin/env bash
# The real program beside a StatusNotifierItem tray host (as KDE Plasma and GNOME's AppIndicator
# extension are) on a private session bus: a host started after the program gets the icon, one
# activation shows the window, the menu a host reads is right at once after logging on,
# and a restarted host gets the icon again. Usage: sni-tray.sh PATH/TO/vaulnix
set -euo pipefail
[ -n "${DBUS_SESSION_BUS_ADDRESS:-}" ] && [ -n "${SNI_TRAY_BUS:-}" ] ||
    exec env SNI_TRAY_BUS=1 dbus-run-session -- "$0" "$@"
source "$(dirname "$0")/x-session.sh"
host=$(dirname "$(readlink -f "$0")")/sni-watcher.py
main="Vaulnix v1.0.0 - tester"

startX
freshHome sni
# Starts the host and waits for the icon to come to it (else fails with $1).
startHost() {
    "$host" >"$work/host.log" 2>>"$work/host-errors.log" & hostPid=$!; pids+=($hostPid)
    # A whole line, with its line end, not one caught half written.
    waitFor "[ -s '$work/host.log' ] && [ -z \"\$(tail -c 1 '$work/host.log')\" ]" || fail "$1"
    item=$(head -n 1 "$work/host.log")
}
menuIs() { [ "$("$host" menu "$item" 2>/dev/null)" = "$1" ]; }
shown() { xdotool search --onlyvisible --name "^$main\$" >/dev/null 2>&1; }

startProgram "$1"
focusWindow "Vaulnix - New User Profile"
startHost "the icon did not come to a host started later"
menuIs "_Login...|-|_Remove Vaulnix" || fail "menu before logging on: $("$host" menu "$item")"
echo "sni: a host started after the program got the icon"

createFirstProfile tester s3cret
logged="-|_Run Actions|-|S_tartup Actions|Shut_down Actions|-|_Remove Vaulnix"
menuIs "_Hide|$logged" || fail "menu after logging on: $("$host" menu "$item")"
"$host" click "$item" _Hide
waitFor "! shown" || fail "Hide left the window shown"
dbus-send --session --type=method_call --dest="${item%%/*}" "/${item#*/}" \
    org.kde.StatusNotifierItem.Activate int32:0 int32:0
waitFor shown || fail "one activation did not show the window"
echo "sni: the menu follows the logon at once (Hide, Show and Logoff: the main window test); one activation shows the window"

kill "$hostPid"; wait "$hostPid" 2>/dev/null || true
startHost "a restarted host did not get the icon"
"$host" click "$item" "_Remove Vaulnix"
ended "$program" "Remove Vaulnix"
echo "sni: a restarted host got the icon back, and its menu ends the program"
echo "3 passed, 0 failed"
