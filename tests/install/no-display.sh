#!/usr/bin/env bash
# The desktop program started where no display can be opened prints one line pointing to
# vaulnix-cli and ends with status 1, both with no display named and with one that is not there.
# Usage: no-display.sh PATH/TO/vaulnix
set -uo pipefail
program=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

check() {
    local what=$1 status
    shift
    env -u QT_QPA_PLATFORM -u WAYLAND_DISPLAY "$@" "$program" >"$work/out" 2>"$work/err"
    status=$?
    if [ "$status" -ne 1 ] || [ "$(wc -l <"$work/err")" -ne 1 ] || [ -s "$work/out" ] ||
        ! grep -q 'vaulnix-cli' "$work/err"; then
        echo "FAILED ($what): status $status, standard error:" >&2
        cat "$work/err" >&2
        exit 1
    fi
}

check "no display" -u DISPLAY
display=4242
while [ -e "/tmp/.X11-unix/X$display" ]; do display=$((display + 1)); done
check "absent display" DISPLAY=":$display"
echo "no-display check passed"
