# Shared by the scripts that drive the real program under Xvfb; $work is removed at exit.

work=$(mktemp -d)
pids=()
unset QT_QPA_PLATFORM QT_QPA_PLATFORMTHEME WAYLAND_DISPLAY SESSION_MANAGER
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

fail() {
    echo "FAILED: $*" >&2
    xdotool search --onlyvisible --name . getwindowname %@ 2>/dev/null | sed 's/^/  window: /' >&2 || true
    for log in "$work"/*.log; do
        [ -s "$log" ] && { echo "--- $(basename "$log")"; cat "$log"; } >&2
    done
    exit 1
}

# Polls a shell condition for up to 15 s.
waitFor() {
    local i
    for i in $(seq 1 150); do eval "$1" && return 0; sleep 0.1; done
    return 1
}

# Xvfb picks a free display number itself and writes it to a file. Two servers started at the
# same moment can pick the same number, and the loser exits: then start another.
startX() {
    local try xvfb
    for try in 1 2 3 4 5; do
        rm -f "$work/display"
        Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset 3>"$work/display" >>"$work/xvfb.log" 2>&1 &
        xvfb=$!
        pids+=($xvfb)
        waitFor "[ -s '$work/display' ] || ! kill -0 $xvfb 2>/dev/null" || fail "Xvfb did not start"
        export DISPLAY=":$(head -n 1 "$work/display" 2>/dev/null)"
        if [ "$DISPLAY" != ":" ] && waitFor "xdpyinfo >/dev/null 2>&1 || ! kill -0 $xvfb 2>/dev/null" &&
            kill -0 "$xvfb" 2>/dev/null && xdpyinfo >/dev/null 2>&1; then
            return 0
        fi
        kill "$xvfb" 2>/dev/null || true
        sleep 0.$((RANDOM % 9 + 1))
    done
    fail "Xvfb did not answer after $try tries"
}

# A fresh home, so settings, data, lock and runtime files stay apart from a running copy.
freshHome() {
    export HOME="$work/home-$1"
    export XDG_CONFIG_HOME="$HOME/.config" XDG_DATA_HOME="$HOME/.local/share"
    export XDG_RUNTIME_DIR="$HOME/run" TMPDIR="$HOME/tmp"
    mkdir -p "$XDG_CONFIG_HOME" "$XDG_DATA_HOME" "$XDG_RUNTIME_DIR" "$TMPDIR"
    chmod 700 "$XDG_RUNTIME_DIR"
}

# A window manager, so windows get frames as on a user's desktop.
startWindowManager() {
    openbox --sm-disable >"$work/openbox.log" 2>&1 &
    pids+=($!)
    waitFor "xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'" ||
        fail "openbox did not start"
}

# Waits for a visible window with exactly this title and gives it the keyboard.
focusWindow() {
    waitFor "xdotool search --onlyvisible --name '^$1\$' >/dev/null 2>&1" || fail "no window \"$1\""
    windowId=$(xdotool search --onlyvisible --name "^$1\$" | tail -n 1)
    xdotool windowfocus --sync "$windowId" 2>/dev/null || true
    sleep 0.2
}

typeText() { xdotool type --delay 5 "$1"; }

# A private copy of the program $1, and the folders $2... in $work.
copyProgram() { mkdir -p "$work/app"; cp "$1" "$work/app/vaulnix"; (cd "$work" && mkdir -p "${@:2}"); }
# Starts $1 (default: the private copy) as $program.
startProgram() { "${1:-$work/app/vaulnix}" >>"$work/program.log" 2>&1 & program=$!; pids+=($program); }
# Waits for process $1 to end after $2 (what should end it), and checks a clean exit.
ended() {
    waitFor "! kill -0 $1 2>/dev/null" || fail "$2 did not end the program"
    wait "$1" || fail "$2: the program exited with status $?"
}
logOn() { focusWindow "Vaulnix - User Profiles"; typeText "$2"; xdotool key Return; focusWindow "Vaulnix v1.0.0 - $1"; }

# Creates the first profile through the new-profile and settings windows (keys $3 in the latter).
createFirstProfile() {
    focusWindow "Vaulnix - New User Profile"
    for text in "$1" "$2" "$2"; do typeText "$text"; xdotool key Return; done
    focusWindow "Settings"
    xdotool key ${3:-} Return
    focusWindow "Vaulnix v1.0.0 - $1"
}

# Xvfb and openbox, a fresh home named $1, a private copy of the program $2 beside a folder Papers
# with one letter, started with a first profile "tester".
startWithPapers() {
    startX; startWindowManager; freshHome "$1"; copyProgram "$2" Papers
    echo "first letter" >"$work/Papers/letter.txt"
    startProgram; createFirstProfile tester s3cret
}

# Ends the program through File > Exit and checks a clean exit with the settings written.
exitProgram() {
    xdotool key alt+f x
    ended "$1" "File > Exit"
    grep -q '^MainWidth=' "$XDG_CONFIG_HOME/Vaulnix/Vaulnix.conf" || fail "the settings were not written"
}
