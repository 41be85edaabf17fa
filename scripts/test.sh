#!/usr/bin/env bash
# Builds and runs the whole test suite, then the same suite built with AddressSanitizer and
# UndefinedBehaviorSanitizer. Exits non-zero when either run fails.
set -uo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/deps.sh" qt6-base-dev qt6-qpa-plugins cmake g++ ninja-build fonts-dejavu-core \
    qt6-image-formats-plugins xvfb xauth openbox xdotool imagemagick zlib1g-dev \
    libqt6svg6 pkg-config libheif-dev libjxl-dev libraw-dev libheif-examples libavif-bin \
    libjxl-tools liblcms2-dev libjpeg-dev libpng-dev libexif-dev libimage-exiftool-perl webp \
    icc-profiles-free libgs-common libseccomp-dev \
    tigervnc-standalone-server tigervnc-tools vncsnapshot qt6-tools-dev qt6-l10n-tools \
    qt6-translations-l10n fonts-wqy-microhei || exit 1
jobs=$(nproc)

suite() { # build-dir, extra cmake arguments...
    local dir=$1
    shift
    cmake -S "$top" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DPICTARN_BUILD_BENCH=OFF "$@" \
        >/dev/null || return 1
    cmake --build "$dir" -j"$jobs" || return 1
    (cd "$dir" && ctest --output-on-failure -j"$jobs")
}

echo "== Test suite"
suite "$top/build-test"
plain=$?

echo "== Test suite under AddressSanitizer and UndefinedBehaviorSanitizer"
export ASAN_OPTIONS="detect_leaks=0:abort_on_error=1:strict_string_checks=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
suite "$top/build-asan" -DPICTARN_SANITIZE=ON
sanitized=$?

if [ $plain -ne 0 ] || [ $sanitized -ne 0 ]; then
    echo "FAILED: plain suite exit $plain, sanitizer suite exit $sanitized"
    exit 1
fi
