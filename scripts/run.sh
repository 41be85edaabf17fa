#!/usr/bin/env bash
# Builds Pictarn (Release) and starts it on the folder or images given, or on the sample
# pictures the build draws. Arguments are passed to the program (e.g. -platform linuxfb).
# With no display and no -platform, it runs the program on a VNC screen that only this user
# reaches (scripts/vncsession.sh); PICTARN_VNC_PORT chooses its port on 127.0.0.1 (5900).
# --fb DEVICE first runs it on that framebuffer.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build="$top/build-release"

# --fb DEVICE: straight on a framebuffer (a Pi's SPI TFT is usually /dev/fb1), no window system.
if [ "${1:-}" = --fb ]; then
    [ $# -ge 2 ] || { echo "run.sh: --fb takes a device, e.g. --fb /dev/fb1" >&2; exit 2; }
    fb=$2
    shift 2
    set -- -platform "linuxfb:fb=$fb" "$@"
fi

headless=yes
[ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ] || [ -n "${QT_QPA_PLATFORM:-}" ] \
    && headless=no
for argument in "$@"; do
    [ "$argument" = -- ] && break # names follow, never options
    [ "$argument" = -platform ] && headless=no
done
[ $headless = no ] || "$top/scripts/vncsession.sh" --check

packages=(qt6-base-dev qt6-qpa-plugins cmake g++ ninja-build fonts-dejavu-core
    fonts-droid-fallback fonts-wqy-microhei qt6-image-formats-plugins libqt6svg6 pkg-config
    libheif-dev libjxl-dev qt6-tools-dev qt6-l10n-tools qt6-translations-l10n
    libraw-dev liblcms2-dev libjpeg-dev libpng-dev libexif-dev libseccomp-dev)
[ $headless = yes ] && packages+=(tigervnc-standalone-server tigervnc-tools xauth openbox)
"$top/scripts/deps.sh" "${packages[@]}"
cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DPICTARN_BUILD_TESTS=OFF -DPICTARN_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" -j"$(nproc)"

[ $# -eq 0 ] && set -- "$build/samples"
[ $headless = no ] && exec "$build/pictarn" "$@"

exec "$top/scripts/vncsession.sh" "$build/pictarn" "$@"
