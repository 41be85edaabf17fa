#!/usr/bin/env bash
# Builds Pictarn (Release) and starts it on the folder or images given, or on the sample
# pictures the build draws. Arguments are passed to the program (e.g. -platform linuxfb).
# With no display and no -platform, it starts a VNC server of its own (TigerVNC's Xvnc with
# openbox) that answers on 127.0.0.1 only, runs the program there and stops it all at the end.
# PICTARN_VNC_PORT chooses the port (5900).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build="$top/build-release"
port=${PICTARN_VNC_PORT:-5900}

headless=yes
[ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ] || [ -n "${QT_QPA_PLATFORM:-}" ] \
    && headless=no
for argument in "$@"; do
    [ "$argument" = -platform ] && headless=no
done

packages=(qt6-base-dev qt6-qpa-plugins cmake g++ ninja-build fonts-dejavu-core
    fonts-droid-fallback qt6-image-formats-plugins pkg-config libseccomp-dev)
[ $headless = yes ] && packages+=(tigervnc-standalone-server openbox)
"$top/scripts/deps.sh" "${packages[@]}"
cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DPICTARN_BUILD_TESTS=OFF -DPICTARN_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" -j"$(nproc)"

[ $# -eq 0 ] && set -- "$build/samples"
[ $headless = no ] && exec "$build/pictarn" "$@"

work=$(mktemp -d "${TMPDIR:-/tmp}/pictarn-vnc.XXXXXX")
pids=()
finish() {
    local pid
    for pid in "${pids[@]}"; do
        kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null
    done
    rm -rf "$work"
}
trap finish EXIT
trap 'exit 130' INT TERM

# -localhost: the VNC port answers on the loopback address only, which is what makes a server
# without a password (-SecurityTypes None) acceptable. -nolisten tcp: no X11 port either.
Xvnc -displayfd 3 -geometry 240x320 -depth 24 -rfbport "$port" -localhost \
    -SecurityTypes None -nolisten tcp 3>"$work/display" >"$work/xvnc.log" 2>&1 &
pids+=($!)
for _ in $(seq 100); do
    [ -s "$work/display" ] && break
    kill -0 "${pids[0]}" 2>/dev/null || break
    sleep 0.1
done
[ -s "$work/display" ] || { cat "$work/xvnc.log" >&2; echo "run.sh: Xvnc did not start" >&2; exit 1; }
DISPLAY=":$(head -n1 "$work/display")"
export DISPLAY
unset WAYLAND_DISPLAY QT_QPA_PLATFORM
openbox --config-file "$top/tests/e2e/openbox-rc.xml" >"$work/openbox.log" 2>&1 &
pids+=($!)

cat <<TEXT
No display found: Pictarn runs on a 240 x 320 VNC screen that answers on 127.0.0.1:$port only.
Connect with:   vncviewer 127.0.0.1::$port
From another machine:   ssh -L $port:127.0.0.1:$port this-machine   then the same vncviewer there.
The server and the program stop when you leave Pictarn (or press Ctrl+C here).
TEXT
"$build/pictarn" "$@" &
pids=("$!" "${pids[@]}")
wait "${pids[0]}"
