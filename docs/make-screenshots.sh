#!/usr/bin/env bash
# Takes the README's screenshots of the real program under Xvfb, with openbox's window frames,
# as a user "anna" sees it: the main window with several actions, the create-box window, the
# box contents window, the tray icon at 24 and 48 px on a dark and a light panel, and the program
# on a dark desktop (GNOME's dark style, as Qt's GTK platform theme passes it on).
# Usage: docs/make-screenshots.sh [PATH/TO/vaulnix]   (default: build/app/vaulnix)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
program=$(readlink -f "${1:-$here/../build/app/vaulnix}")
out="$here/images"
source "$here/../tests/smoke/x-session.sh"
command -v import >/dev/null || fail "needs ImageMagick's import (scripts/install-deps.sh --docs)"
command -v openbox >/dev/null || fail "needs openbox (scripts/install-deps.sh --docs)"

# Paths in the pictures read like a home folder: /home/anna when it can be made (and it is
# removed again at the end), otherwise a scratch folder.
home="$work/anna"
if [ ! -e /home/anna ] && mkdir /home/anna 2>/dev/null; then
    home=/home/anna
    # The program writes its settings as it ends: remove the folder only after it has ended.
    trap 'cleanup; rm -rf /home/anna' EXIT
fi
export HOME="$home" XDG_CONFIG_HOME="$home/.config" XDG_RUNTIME_DIR="$work/run"
mkdir -p "$XDG_CONFIG_HOME" "$XDG_RUNTIME_DIR" "$out"
chmod 700 "$XDG_RUNTIME_DIR"
unset QT_QPA_PLATFORM XDG_DATA_HOME

mkdir -p "$HOME/Papers/insurance" "$HOME/Photos/2026" "$HOME/Projects/garden/plans" "$HOME/Taxes"
echo "Policy" >"$HOME/Papers/insurance/house.txt"
head -c 40000 /dev/urandom >"$HOME/Papers/passport-scan.pdf"
for n in 1 2 3; do head -c 200000 /dev/urandom >"$HOME/Photos/2026/IMG_00$n.jpg"; done
echo "Beds and paths" >"$HOME/Projects/garden/plans/layout.txt"
head -c 30000 /dev/urandom >"$HOME/Projects/garden/budget.ods"
head -c 50000 /dev/urandom >"$HOME/Taxes/return-2026.pdf"

startX
openbox --sm-disable >"$work/openbox.log" 2>&1 &
pids+=($!)
waitFor "xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q window" || fail "openbox did not start"
xsetroot -solid '#3b6e8f' 2>/dev/null || true

# With its frame, as the window manager draws it.
shot() {
    import -frame -window "$windowId" "$out/$1"
    echo "wrote docs/images/$1"
}
main="Vaulnix v1.0.0 - anna"

# 1. Without a tray host the window opens at once with the new-profile window in front.
"$program" >"$work/program.log" 2>&1 &
pid=$!
pids+=($pid)
focusWindow "Vaulnix - New User Profile"
typeText anna; xdotool key Return
typeText "correct horse"; xdotool key Return
typeText "correct horse"; xdotool key Return
focusWindow "Settings"
typeText "$HOME/Boxes"; xdotool key Return
focusWindow "$main"
xdotool windowsize --sync "$windowId" 900 250 2>/dev/null || true

for folder in Papers Photos Projects; do
    newBoxAction "$HOME/$folder"
    focusWindow "$main"
done
xdotool key F5
waitFor "[ -s '$HOME/Boxes/Projects.vlx' ]" || fail "the run wrote no box"
sleep 1
newBoxAction "$HOME/Taxes"
focusWindow "$main"
sleep 0.5
shot main-window.png

# The create-box window, as File > New Box shows it.
xdotool key ctrl+n
focusWindow "Select Folder to Box"
typeText "$HOME/Papers"; xdotool key Return
focusWindow "Create Box"
shot create-box.png
xdotool key Escape

# The contents window: the list's popup on the first (now extract) row, then "View Contents".
focusWindow "$main"
eval "$(xdotool getwindowgeometry --shell "$windowId")"
xdotool mousemove $((X + 60)) $((Y + 50)) click 1
xdotool click 3
sleep 0.3
xdotool key Down Down Return
focusWindow "Vaulnix Contents"
shot contents.png
xdotool key Escape
focusWindow "$main"
exitProgram "$pid"

# 2. The tray icon in a panel (tint2) whose tray holds icons of each size, beside its clock, on
# a dark and on a light panel.
panelConf() { # SIZE BACKGROUND TEXT WIDTH HEIGHT POSITION
    cat <<CONF
rounded = 0
border_width = 0
background_color = $2 100
border_color = #000000 0
panel_items = SC
panel_size = $4 $5
panel_margin = 0 0
panel_padding = 8 0 10
panel_position = $6 horizontal
panel_background_id = 1
panel_dock = 0
panel_layer = top
strut_policy = none
wm_menu = 0
systray_padding = 0 0 6
systray_background_id = 0
systray_icon_size = $1
time1_format = %H:%M
time1_font = sans $(($1 / 3 + 4))
clock_font_color = $3 100
clock_background_id = 0
CONF
}
startPanel() {
    panelConf "$@" >"$work/tint2.conf"
    tint2 -c "$work/tint2.conf" >>"$work/tint2.log" 2>&1 &
    panelPid=$!
    pids+=($panelPid)
    waitFor "xdotool search --onlyvisible --class tint2 >/dev/null 2>&1" || fail "tint2 did not start"
}
trayShot() { # SIZE NAME BACKGROUND TEXT
    startPanel "$1" "$3" "$4" $(($1 * 2 + 90)) $(($1 + 12)) "top right"
    "$program" >>"$work/program.log" 2>&1 &
    pid=$!
    pids+=($pid)
    sleep 2
    import -window root "$work/screen.png"
    convert "$work/screen.png" -crop "$(($1 * 2 + 90))x$(($1 + 12))+$((1024 - $1 * 2 - 90))+0" \
        +repage "$work/$2$1.png"
    kill "$pid" "$panelPid"
    wait "$pid" "$panelPid" 2>/dev/null || true
}
for size in 24 48; do
    trayShot $size dark '#2b3036' '#eeeeee'
    trayShot $size light '#eeeeee' '#222222'
done
for shade in dark light; do
    convert "$work/${shade}24.png" -size 24x1 xc:'#3b6e8f' "$work/${shade}48.png" \
        -background '#3b6e8f' -gravity center +append "$work/row-$shade.png"
done
convert "$work/row-dark.png" -size 1x12 xc:'#3b6e8f' "$work/row-light.png" -background '#3b6e8f' \
    -gravity center -append -bordercolor '#3b6e8f' -border 12 "$out/tray.png"
echo "wrote docs/images/tray.png"

# 3. A dark desktop: the dark panel, its tray menu and the main window in GNOME's dark style.
startPanel 24 '#2b3036' '#eeeeee' 100% 32 "top center"
QT_QPA_PLATFORMTHEME=gtk3 GTK_THEME=Adwaita:dark "$program" >>"$work/program.log" 2>&1 &
pid=$!
pids+=($pid)
trayIcon() { xdotool search --class vaulnix 2>/dev/null | while read -r id; do
    xdotool getwindowgeometry "$id" | grep -q 'Geometry: 24x24' && echo "$id"; done | head -n 1; }
waitFor '[ -n "$(trayIcon)" ]' || fail "the icon did not come to the panel"
eval "$(xdotool getwindowgeometry --shell "$(trayIcon)")"
# The bottom right corner, so the menu opens beside the icon and leaves it in sight.
iconX=$((X + 22)) iconY=$((Y + 22))
xdotool mousemove $iconX $iconY click 3
sleep 0.5
xdotool key l
focusWindow "Vaulnix - User Profiles"
typeText "correct horse"; xdotool key Return
focusWindow "$main"
xdotool windowsize --sync "$windowId" 760 230 windowmove --sync "$windowId" 230 70 2>/dev/null || true
sleep 0.5
xdotool mousemove $iconX $iconY click 3
sleep 0.8
import -window root "$work/screen.png"
convert "$work/screen.png" -crop 1010x350+0+0 +repage "$out/dark-desktop.png"
echo "wrote docs/images/dark-desktop.png"
xdotool key Escape
focusWindow "$main"
exitProgram "$pid"
