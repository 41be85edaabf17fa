#!/usr/bin/env bash
# Runs the benchmark suite: builds a Release build in build-bench/, makes the picture folder in
# bench/corpus/ (kept between runs) and prints the table. Options go to the bench:
#   --quick       two rounds, the viewer on the 24-megapixel files only
#   --rounds N    N rounds (5 by default)
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/deps.sh" qt6-base-dev qt6-qpa-plugins cmake g++ ninja-build fonts-dejavu-core \
    imagemagick libvips-tools libjpeg-turbo-progs pkg-config libseccomp-dev \
    libheif-dev libjxl-dev libraw-dev liblcms2-dev libjpeg-dev libpng-dev libheif-examples \
    libjxl-tools icc-profiles-free
cmake -S "$top" -B "$top/build-bench" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DPICTARN_BUILD_TESTS=OFF -DPICTARN_BUILD_BENCH=ON >/dev/null
cmake --build "$top/build-bench" -j"$(nproc)" --target bench_suite
"$top/bench/make-corpus.sh" "$top/bench/corpus"
exec "$top/build-bench/bench/bench_suite" run "$top/bench/corpus" "$@"
