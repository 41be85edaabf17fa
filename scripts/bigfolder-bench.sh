#!/usr/bin/env bash
# Makes a folder of 100,000 hard links to four small JPEGs on a tmpfs (and the same with their
# previews stored, and 10,000 folders of one picture each) and runs bench_bigfolder on it, on
# one core and on all. Builds the Release build in build-bench/ unless BENCH=path/to/binary.
#   scripts/bigfolder-bench.sh [count]      (100000 by default)
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
count=${1:-100000}
root=${BIGFOLDER_ROOT:-/dev/shm/pictarn-bigfolder}
bench=${BENCH:-$top/build-bench/bench/bench_bigfolder}
if [ -z "${BENCH:-}" ]; then
    "$top/scripts/deps.sh" qt6-base-dev qt6-qpa-plugins cmake g++ ninja-build imagemagick
    cmake -S "$top" -B "$top/build-bench" -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DPICTARN_BUILD_TESTS=OFF -DPICTARN_BUILD_BENCH=ON >/dev/null
    cmake --build "$top/build-bench" -j"$(nproc)" --target bench_bigfolder
fi
if [ ! -f "$root/done-$count" ]; then
    rm -rf "$root" && mkdir -p "$root/src" "$root/big" "$root/cached" "$root/folders"
    for n in 0 1 2 3; do # about 40 KB each: above the size the previews are kept from
        convert -size 320x240 "plasma:fractal" -seed $n +noise Gaussian -quality 90 \
            "$root/src/s$n.jpg"
    done
    # The stored previews of the four, made by the program itself.
    "$bench" grid "$root/src" --full >/dev/null
    python3 - "$root" "$count" <<'PY'
import os, sys
root, count = sys.argv[1], int(sys.argv[2])
os.makedirs(f"{root}/cached/.ptthumbs", exist_ok=True)
for i in range(count):
    name = f"img{i:06d}.jpg"
    src = f"{root}/src/s{i % 4}.jpg"
    os.link(src, f"{root}/big/{name}")
    os.link(src, f"{root}/cached/{name}")
    os.link(f"{root}/src/.ptthumbs/s{i % 4}.jpg", f"{root}/cached/.ptthumbs/{name}")
for i in range(10000):
    os.makedirs(f"{root}/folders/f{i:05d}")
    os.link(f"{root}/src/s{i % 4}.jpg", f"{root}/folders/f{i:05d}/p.jpg")
PY
    touch "$root/done-$count"
fi
for cores in "taskset -c 0" ""; do
    echo "== ${cores:-all cores} ($(nproc) here; load $(cut -d' ' -f1-3 /proc/loadavg))"
    $cores "$bench" list "$root/big" "$count"
    $cores "$bench" open "$root/big/img$(printf %06d $((count / 2))).jpg"
    rm -rf "$root/big/.ptthumbs"
    $cores "$bench" grid "$root/big"
    $cores "$bench" grid "$root/cached" --full
    $cores "$bench" folders "$root/folders"
done
