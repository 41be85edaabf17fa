#!/bin/sh
# Redraws the compiled-in icon table (resources/icontable.cpp) and the picture files (image/*.png)
# in the source tree. Usage: tools/icongen.sh [build-dir]   (default: build-icongen)
# Afterwards, configure your build directories again so that they copy the new pictures.
set -eu
source_dir=$(cd "$(dirname "$0")/.." && pwd)
build_dir=${1:-"$source_dir/build-icongen"}
if [ ! -f "$build_dir/CMakeCache.txt" ]; then
    cmake -S "$source_dir" -B "$build_dir" -DPICTARN_BUILD_TESTS=OFF -DPICTARN_BUILD_BENCH=OFF
fi
cmake --build "$build_dir" --target icongen
"$build_dir/tools/icongen" "$source_dir"
echo "icongen: wrote resources/icontable.cpp and image/*.png"
