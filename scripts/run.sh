#!/usr/bin/env bash
# Builds Pictarn (Release) and starts it. With no display it serves a 240 x 320 screen over
# VNC on 127.0.0.1:5900. Arguments are passed to the program (e.g. -platform linuxfb).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/deps.sh" qt6-base-dev qt6-qpa-plugins cmake g++ ninja-build fonts-dejavu-core \
    fonts-droid-fallback qt6-image-formats-plugins
cmake -S "$top" -B "$top/build-release" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DPICTARN_BUILD_TESTS=OFF -DPICTARN_BUILD_BENCH=OFF >/dev/null
cmake --build "$top/build-release" -j"$(nproc)"
exec "$top/build-release/pictarn" "$@"
