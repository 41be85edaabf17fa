#!/usr/bin/env bash
# Starts the built program on a 240 x 320 X screen of its own with a bookmark to a folder of
# generated images, uses it as a person would (taps on the tool bar, the bookmark menu and a
# thumbnail, keys) and checks what it leaves behind: the thumbnail cache files, the renamed
# image, the configuration file written at exit and the exit status.
# Usage: e2e.sh PATH-TO-PICTARN
set -uo pipefail
bin=$(readlink -f "${1:?usage: e2e.sh PATH-TO-PICTARN}")
# shellcheck source=SCRIPTDIR/xsession.sh
source "$(dirname "${BASH_SOURCE[0]}")/xsession.sh"

work=$(mktemp -d "${TMPDIR:-/tmp}/pictarn-e2e.XXXXXX")
pics="$work/My Pictures"
cfg="$work/config/pictarn/pictarn.cfg"
app_pid=""
step="setting up"
rm -f "$PWD/e2e-failure.png"

finish() {
    local status=$?
    if [ -n "$app_pid" ] && kill -0 "$app_pid" 2>/dev/null; then
        kill "$app_pid" 2>/dev/null
        wait "$app_pid" 2>/dev/null
    fi
    xsession_stop
    rm -rf "$work"
    exit $status
}
trap finish EXIT

fail() {
    echo "FAIL ($step): $*" >&2
    if [ -n "${DISPLAY:-}" ] && import -window root "$PWD/e2e-failure.png" 2>/dev/null; then
        echo "screen at the failure: $PWD/e2e-failure.png" >&2
    fi
    [ -n "$app_pid" ] && windows_of "$app_pid" >&2
    [ -f "$work/pictarn.log" ] && tail -n 30 "$work/pictarn.log" >&2
    exit 1
}

# Waits are long enough for a sanitizer build on a busy machine; each ends as soon as it can.
long=900  # tries of 0.1 s
short=300

# cache_ok NAME W H: the cache file of NAME holds the line "W H" and then a whole BMP of a
# preview no larger than 80 x 60.
cache_ok() {
    local file="$pics/.ptthumbs/$1"
    [ -f "$file" ] || return 1
    [ "$(head -n1 "$file")" = "$2 $3" ] || return 1
    local skip=$((${#2} + ${#3} + 2))
    [ "$(tail -c +$((skip + 1)) "$file" | head -c 2)" = "BM" ] || return 1
    local bmp_size width height
    bmp_size=$(od -An -tu4 -j $((skip + 2)) -N4 "$file" | tr -d ' ')
    width=$(od -An -td4 -j $((skip + 18)) -N4 "$file" | tr -d ' ')
    height=$(od -An -td4 -j $((skip + 22)) -N4 "$file" | tr -d ' ')
    height=${height#-} # a top-down bitmap stores its height negative
    [ "$bmp_size" -eq $(($(stat -c %s "$file") - skip)) ] || return 1
    [ "$width" -ge 1 ] && [ "$width" -le 80 ] && [ "$height" -ge 1 ] && [ "$height" -le 60 ]
}

# tap_last_menu_item: taps the bottom item of the menu that the program shows.
tap_last_menu_item() {
    local x y w h
    read -r x y w h < <(popup_of "$app_pid") || return 1
    tap $((x + w / 2)) $((y + h - 12))
}

step="making the images"
mkdir -p "$pics" "$(dirname "$cfg")"
convert -size 400x300 xc:gray -seed 1 +noise Random -quality 92 "$pics/beach.jpg" || fail "convert"
convert -size 400x300 xc:gray -seed 2 +noise Random -quality 92 "$pics/forest.jpg" || fail "convert"
convert -size 320x240 -seed 3 plasma:fractal "$pics/harbour.bmp" || fail "convert"
convert -size 40x30 gradient:navy-gold "$pics/icon.png" || fail "convert"
echo "not a picture" >"$pics/notes.txt"
[ "$(stat -c %s "$pics/beach.jpg")" -gt 30720 ] || fail "beach.jpg is too small to be cached"
[ "$(stat -c %s "$pics/icon.png")" -le 30720 ] || fail "icon.png is too large"
(cd "$pics" && md5sum beach.jpg forest.jpg harbour.bmp icon.png notes.txt) >"$work/before.md5"
cat >"$cfg" <<EOF
[Bookmarks]
numBookmarks=1
name0=Pictures
dir0=$pics
EOF

step="starting the screen"
xsession_start "$work" || fail "no X screen"

step="starting the program"
# Under the sanitizers the X libraries trip two checks on their own (libxkbcommon's strndup over
# a buffer without a terminating zero, libdbus's leaks); everything else stays checked.
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}strict_string_checks=0:detect_leaks=0"
XDG_CONFIG_HOME="$work/config" PICTARN_DOCUMENTS="$work/none" "$bin" >"$work/pictarn.log" 2>&1 &
app_pid=$!
watched_pid=$app_pid
wait_for $long has_windows "$app_pid" 1 || fail "no main window"
wait_for $long has_full_screen_windows "$app_pid" 1 || fail "the main window fills no screen"
main_window=$(windows_of "$app_pid" | cut -d' ' -f1)

# Keys go to the window that has the focus: wait until it is (or is not) the main window.
main_is_active() { [ "$(xdotool getactivewindow)" = "$main_window" ]; }
other_is_active() { ! main_is_active && xdotool getactivewindow >/dev/null; }

step="choosing the bookmark"
tap 37 12 # the second tool bar button
wait_for $short popup_of "$app_pid" >/dev/null || fail "no bookmark menu"
tap_last_menu_item || fail "bookmark menu gone"
wait_for $long cache_ok beach.jpg 400 300 || fail "no cache file for beach.jpg"
wait_for $long cache_ok forest.jpg 400 300 || fail "no cache file for forest.jpg"
wait_for $long cache_ok harbour.bmp 320 240 || fail "no cache file for harbour.bmp"

step="opening a thumbnail"
tap 163 70 # the grid's second box: forest.jpg
wait_for $long has_full_screen_windows "$app_pid" 2 || fail "no viewer"
wait_for $long other_is_active || fail "the viewer has no focus"
key Escape
wait_for $long has_windows "$app_pid" 1 || fail "the viewer stays open"
wait_for $long main_is_active || fail "the main window has no focus"

step="renaming the image left of it"
key Left
tap 187 12 # the rename action
wait_for $long popup_of "$app_pid" >/dev/null || fail "no rename dialog"
wait_for $long other_is_active || fail "the rename dialog has no focus"
key ctrl+a
xdotool type --delay 40 "dunes.jpg"
key Return
wait_for $long test -f "$pics/dunes.jpg" || fail "beach.jpg was not renamed to dunes.jpg"
[ -e "$pics/beach.jpg" ] && fail "beach.jpg is still there"
wait_for $long cache_ok dunes.jpg 400 300 || fail "no cache file for dunes.jpg"

step="switching to full-screen opening and to the list"
tap 137 12 # the settings button
wait_for $short popup_of "$app_pid" >/dev/null || fail "no settings menu"
tap_last_menu_item || fail "settings menu gone"
wait_for $short has_windows "$app_pid" 1 || fail "the settings menu stays open"
tap 87 12 # the list view button

step="leaving through the main menu"
tap 12 12
wait_for $short popup_of "$app_pid" >/dev/null || fail "no main menu"
key Up Return
watched_pid=""
wait_for $long eval '! kill -0 "$app_pid"' || fail "the program is still running"
wait "$app_pid"
status=$?
app_pid=""
[ $status -eq 0 ] || fail "exit status $status"

step="checking what is left"
for name in icon.png notes.txt; do
    [ -e "$pics/.ptthumbs/$name" ] && fail "$name has a cache file"
done
sed 's/  beach\.jpg$/  dunes.jpg/' "$work/before.md5" \
    | (cd "$pics" && md5sum --quiet -c -) || fail "an image file changed"
grep -qx "numBookmarks=1" "$cfg" || fail "numBookmarks lost"
grep -qx "name0=Pictures" "$cfg" || fail "bookmark name lost"
grep -qx "dir0=$pics" "$cfg" || fail "bookmark folder lost"
for key in slideDelay=2 rotateInSlide=true view=1 rotateBestFit=false controlBarInSlide=true \
    imageFullScreen=true saveThumbnails=true thumbFileSize=30 showExtension=false \
    showDimension=true; do
    grep -qx "$key" "$cfg" || fail "pictarn.cfg lacks $key"
done
echo "e2e: passed"
