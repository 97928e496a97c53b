#!/usr/bin/env bash
# Installs the build into a scratch prefix and checks what a desktop sees (desktop entry,
# AppStream data, manuals, icons, box file type, completion); then starts the installed program
# from the entry's Exec line under Xvfb and turns on "start at login".
# Usage: install-check.sh BUILD_DIR
set -euo pipefail
source "$(dirname "$0")/../smoke/x-session.sh"
build=$(readlink -f "$1")
prefix="$work/prefix"
appId=org.example.Vaulnix
share="$prefix/share"

cmake --install "$build" --prefix "$prefix" >"$work/install.log" 2>&1 || fail "cmake --install failed"
desktop="$share/applications/$appId.desktop"
desktop-file-validate "$desktop" >"$work/validate.log" 2>&1 || fail "desktop entry: $(cat "$work/validate.log")"
appstreamcli validate --no-net "$share/metainfo/$appId.metainfo.xml" >"$work/appstream.log" 2>&1 ||
    fail "metainfo does not validate"

for page in vaulnix vaulnix-cli; do # a missing page shows as a warning too
    warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l "$share/man/man1/$page.1.gz" 2>&1 >/dev/null)
    [ -z "$warnings" ] || fail "$page(1) renders with warnings: $warnings"
done

[ -f "$share/icons/hicolor/scalable/apps/$appId.svg" ] || fail "no scalable icon"
for size in 16 22 24 32 48 64 128 256; do
    file "$share/icons/hicolor/${size}x${size}/apps/$appId.png" 2>/dev/null | grep -q "PNG image data, $size x $size," || fail "no ${size}px icon"
done

# The box file type, as file managers see it once the database is built.
cp -r "$share/mime" "$work/mime"
update-mime-database "$work/mime" >/dev/null 2>&1 || fail "update-mime-database failed"
grep -q ':application/x-vaulnix-box:\*\.vlx$' "$work/mime/globs2" || fail "no file type for .vlx"
grep -q "application/x-vaulnix-box:$appId" "$work/mime/icons" || fail "the box type has no icon"

completion="$share/bash-completion/completions/vaulnix-cli"
words=$(bash -c 'source /usr/share/bash-completion/bash_completion; source "$1"
    COMP_WORDS=(vaulnix-cli ex); COMP_CWORD=1; COMP_LINE="vaulnix-cli ex"; COMP_POINT=14
    _vaulnix_cli; echo "${COMPREPLY[*]}"' _ "$completion")
[ "$words" = extract ] || fail "completion offers \"$words\" for \"ex\""
# The installed program, started as a desktop starts it, on a display without a tray host.
startX
freshHome installed
execLine=$(sed -n 's/^Exec=//p' "$desktop" | sed 's/ %[fFuU]//g')
PATH="$prefix/bin:$PATH" bash -c "exec $execLine" >"$work/program.log" 2>&1 &
pid=$! && pids+=($pid)
# Settings' focus order: folder, "...", "Start Vaulnix when I log in".
createFirstProfile anna pw "Tab Tab space"
# Taken whole: grep -q would stop reading the long icon data, and xprop's SIGPIPE would fail the
# pipe.
icon=$(xprop -id "$windowId" _NET_WM_ICON)
[[ $icon == *'= '* ]] || fail "the window has no icon"

autostart="$XDG_CONFIG_HOME/autostart/$appId.desktop"
[ -f "$autostart" ] || fail "no autostart entry was written"
desktop-file-validate "$autostart" >"$work/validate.log" 2>&1 ||
    fail "autostart entry: $(cat "$work/validate.log")"
grep -qx "Exec=$prefix/bin/vaulnix" "$autostart" || fail "autostart entry: $(grep Exec= "$autostart")"

profiles="$HOME/.local/share/Vaulnix/Vaulnix"
[ -f "$profiles/anna.vlu" ] || fail "the profile is not in the user's data folder"
[ "$(stat -c %a "$profiles")" = 700 ] || fail "the profile folder is not private"

exitProgram "$pid"
echo "install check passed"
