# shellcheck shell=bash
# Helpers shared by the end-to-end test and the screenshot script (sourced, not run): a
# 240 x 320 Xvfb screen of its own with openbox, bounded waits, taps and keys.

xsession_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
xvfb_pid=""
openbox_pid=""

watched_pid="" # a process whose end makes every wait fail at once

# wait_for TRIES COMMAND...: runs COMMAND every 0.1 s until it succeeds; fails after TRIES tries,
# or as soon as the watched process has ended.
wait_for() {
    local tries=$1
    shift
    local i
    for ((i = 0; i < tries; i++)); do
        "$@" 2>/dev/null && return 0
        if [ -n "$watched_pid" ] && ! kill -0 "$watched_pid" 2>/dev/null; then
            echo "the program has ended" >&2
            return 1
        fi
        sleep 0.1
    done
    return 1
}

# xsession_start WORKDIR: a free display of 240 x 320 pixels with openbox, no window frames and
# every main window maximised. Sets DISPLAY.
xsession_start() {
    local dir=$1
    unset QT_QPA_PLATFORM WAYLAND_DISPLAY
    : >"$dir/display"
    Xvfb -displayfd 3 -screen 0 240x320x24 -nolisten tcp 3>"$dir/display" \
        >"$dir/xvfb.log" 2>&1 &
    xvfb_pid=$!
    wait_for 300 test -s "$dir/display" || { echo "Xvfb did not start" >&2; return 1; }
    DISPLAY=":$(head -n1 "$dir/display")"
    export DISPLAY
    openbox --config-file "$xsession_dir/openbox-rc.xml" >"$dir/openbox.log" 2>&1 &
    openbox_pid=$!
    # openbox announces the desktops once it manages the screen.
    wait_for 300 xdotool get_num_desktops >/dev/null \
        || { echo "openbox did not start" >&2; return 1; }
}

xsession_stop() {
    [ -n "$openbox_pid" ] && kill "$openbox_pid" 2>/dev/null && wait "$openbox_pid" 2>/dev/null
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
    openbox_pid=""
    xvfb_pid=""
    return 0
}

tap() { # x y
    xdotool mousemove "$1" "$2" click 1
}

key() { # key names as xdotool spells them
    xdotool key --delay 50 "$@"
}

# windows_of PID: the shown windows of a process, one "id x y width height" line each.
windows_of() {
    local w
    for w in $(xdotool search --onlyvisible --pid "$1" 2>/dev/null); do
        (
            eval "$(xdotool getwindowgeometry --shell "$w" 2>/dev/null)" || exit 0
            echo "$w $X $Y $WIDTH $HEIGHT"
        )
    done
}

window_count() { # pid
    windows_of "$1" | wc -l
}

has_windows() { # pid count: the process shows exactly that many windows
    [ "$(window_count "$1")" -eq "$2" ]
}

# popup_of PID: "x y width height" of the process's shown window that is not full screen (a
# menu, a dialog); fails when there is none.
popup_of() {
    windows_of "$1" | awk '$4 != 240 || $5 != 320 { print $2, $3, $4, $5; found = 1; exit }
                           END { exit !found }'
}

# full_screen_windows PID: how many of its shown windows cover the whole screen.
full_screen_windows() {
    windows_of "$1" | awk '$4 == 240 && $5 == 320' | wc -l
}

has_full_screen_windows() { # pid count
    [ "$(full_screen_windows "$1")" -eq "$2" ]
}
