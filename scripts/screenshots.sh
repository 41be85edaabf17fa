#!/usr/bin/env bash
# Takes a 240 x 320 PNG screenshot of every screen of Pictarn: it runs the program on an X
# screen of its own (Xvfb and openbox) over a folder of generated sample pictures and walks
# through the screens with xdotool.
# Usage: scripts/screenshots.sh [OUTPUT-DIR [BUILD-DIR]]
#   OUTPUT-DIR defaults to /tmp/pictarn-shots; a BUILD-DIR holding a built pictarn is used as
#   it is, otherwise the program is built there (default build-shots/).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
out=$(mkdir -p "${1:-/tmp/pictarn-shots}" && cd "${1:-/tmp/pictarn-shots}" && pwd)
build=${2:-$top/build-shots}

if [ ! -x "$build/pictarn" ]; then
    "$top/scripts/deps.sh" qt6-base-dev qt6-qpa-plugins cmake g++ ninja-build \
        fonts-dejavu-core fonts-droid-fallback fonts-wqy-microhei qt6-tools-dev qt6-l10n-tools \
        qt6-translations-l10n xvfb openbox xdotool imagemagick
    cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DPICTARN_BUILD_TESTS=OFF -DPICTARN_BUILD_BENCH=OFF >/dev/null
    cmake --build "$build" -j"$(nproc)" --target pictarn
fi
# shellcheck source=SCRIPTDIR/../tests/e2e/xsession.sh
source "$top/tests/e2e/xsession.sh"

work=$(mktemp -d "${TMPDIR:-/tmp}/pictarn-shots.XXXXXX")
pics="$work/Holiday"
app_pid=""
finish() {
    [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null && wait "$app_pid" 2>/dev/null
    xsession_stop
    rm -rf "$work"
}
trap finish EXIT

die() {
    echo "screenshots: $*" >&2
    import -window root "$out/failed.png" 2>/dev/null || true
    exit 1
}

# shot NAME: once the screen has stopped changing, saves it as NAME.png.
shot() {
    local previous="" current i
    for i in $(seq 100); do
        import -window root -depth 8 "rgb:$work/screen.rgb"
        current=$(md5sum <"$work/screen.rgb")
        [ "$current" = "$previous" ] && break
        previous=$current
        sleep 0.2
    done
    convert -size 240x320 -depth 8 "rgb:$work/screen.rgb" -strip "$out/$1.png"
    echo "$out/$1.png"
}

popup() { # waits for a menu or dialog and prints "x y width height"
    wait_for 300 popup_of "$app_pid" >/dev/null || die "no menu or dialog"
    popup_of "$app_pid"
}

windows() { # waits until the program shows this many windows
    wait_for 300 has_windows "$app_pid" "$1" || die "not $1 windows"
}

# Pleasant pictures, the same at every run.
mkdir -p "$pics"
convert -size 640x480 -seed 7 plasma:gold-firebrick -blur 0x3 -quality 88 "$pics/canyon.jpg"
convert -size 300x400 -seed 11 plasma:mediumseagreen-midnightblue -blur 0x3 "$pics/aurora.jpg"
convert -size 480x360 radial-gradient:lightcyan-teal -quality 90 "$pics/lagoon.jpg"
convert -size 400x300 -seed 5 plasma:skyblue-orchid -blur 0x2 "$pics/meadow.png"
convert -size 800x600 -seed 3 plasma:wheat-sienna -blur 0x4 -quality 90 "$pics/dunes.jpg"
convert -size 360x480 gradient:midnightblue-darkorange -quality 90 "$pics/harbour.jpg"
mkdir -p "$work/config/pictarn"
cat >"$work/config/pictarn/pictarn.cfg" <<EOF
[Settings]
slideDelay=60
[Bookmarks]
numBookmarks=2
name0=Holiday
dir0=$pics
name1=Memory card
dir1=/mmc/mmca1/photos
EOF

xsession_start "$work" || die "no X screen"
XDG_CONFIG_HOME="$work/config" PICTARN_DOCUMENTS="$work" "$build/pictarn" \
    >"$work/pictarn.log" 2>&1 &
app_pid=$!
windows 1

# The bookmark menu, then the folder in the grid and in the list.
tap 37 12
popup >/dev/null
shot bookmarks
key Down Down Return
windows 1
wait_for 300 test -d "$pics/.ptthumbs" || true
shot grid
tap 87 12
shot list
tap 62 12

# The viewer on the first picture: fitted, zoomed, turned, its information box.
tap 56 70
wait_for 300 has_full_screen_windows "$app_pid" 2 || die "no viewer"
shot viewer
tap 108 12 # zoom
read -r x y w h < <(popup)
tap $((x + w / 2)) $((y + h - 14)) # zoom in
shot viewer-zoomed
tap 60 300 # closes the zoom menu
windows 2
tap 76 12 # fit to the screen again
tap 139 12 # turn
read -r x y w h < <(popup)
tap $((x + w / 2)) $((y + 12)) # "Rotate 90"
windows 2
shot viewer-turned
tap 12 12
read -r x y w h < <(popup)
tap $((x + w / 2)) $((y + 12)) # "Propertis   "
wait_for 300 popup_of "$app_pid" >/dev/null
shot info
read -r x y w h < <(popup)
tap $((x + w / 2)) $((y + h - 12)) # its button
windows 2

# Full screen, then back to the viewer and out of it.
tap 228 12
wait_for 300 has_full_screen_windows "$app_pid" 2 || die "no full-screen picture"
shot fullscreen
tap 120 160
windows 2
tap 12 12
read -r x y w h < <(popup)
tap $((x + w / 2)) $((y + h - 12)) # "Exit  "
windows 1

# The slide show with its control bar.
tap 112 12
windows 2
shot slideshow
key F1
windows 3
shot keys-slideshow
key Escape
windows 2
key Escape
windows 1

# The settings screen, page by page.
tap 137 12
read -r x y w h < <(popup)
tap $((x + w / 2)) $((y + 12)) # "Set   "
wait_for 300 has_full_screen_windows "$app_pid" 2 || die "no settings screen"
shot settings-thumbnail
page=0
for name in slideshow bookmarks frame; do
    page=$((page + 1))
    tap 200 12 # the page chooser on the title line
    read -r x y w h < <(popup)
    tap $((x + w / 2)) $((y + h * (2 * page + 1) / 8))
    wait_for 300 has_windows "$app_pid" 2
    shot settings-$name
done
tap 210 310 # the right soft key leaves without saving
windows 1

# The path chooser.
tap 12 12
read -r x y w h < <(popup)
tap $((x + w / 2)) $((y + 12)) # "Open dir    "
wait_for 300 popup_of "$app_pid" >/dev/null
shot pathchooser
key Escape
windows 1

# Rename and delete of the selected picture, both left without a change.
tap 187 12
popup >/dev/null
shot rename
key Escape
windows 1
tap 212 12
popup >/dev/null
shot delete
key Escape
windows 1

# A rename's undo bar, then its Undo; the sort menu.
tap 187 12
popup >/dev/null
key End x Return
windows 1
shot undo
tap 200 300
tap 12 12
popup >/dev/null
key Down Down Down Down Right
shot sort
key Escape Escape
windows 1

# The main menu, the keys help, the about box, then "Exit  ".
tap 12 12
popup >/dev/null
shot menu
key Up Up Return
windows 2
shot keys
key Escape
windows 1
tap 12 12
popup >/dev/null
key Up Up Up Return
wait_for 300 popup_of "$app_pid" >/dev/null
shot about
key Return
windows 1
tap 12 12
popup >/dev/null
key Up Return
wait_for 300 eval '! kill -0 "$app_pid"' || die "the program did not end"
wait "$app_pid" || die "the program ended with status $?"
app_pid=""
