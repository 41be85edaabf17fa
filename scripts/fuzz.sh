#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for a while (60 seconds unless given
# another number of seconds as the first argument), starting from files made by the program
# itself. Inputs that crash a target are kept in fuzz/corpus-crashes/<target>/.
# Exits non-zero when a target found a crash.
set -uo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-60}
"$top/scripts/deps.sh" clang libclang-rt-14-dev qt6-base-dev qt6-qpa-plugins cmake ninja-build \
    || exit 1

build="$top/build-fuzz"
cmake -S "$top" -B "$build" -G Ninja -DCMAKE_CXX_COMPILER=clang++ \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPICTARN_FUZZ=ON -DPICTARN_BUILD_TESTS=OFF \
    -DPICTARN_BUILD_BENCH=OFF >/dev/null || exit 1
cmake --build "$build" -j"$(nproc)" --target fuzz_thumbnailcache fuzz_config || exit 1

# No leak check (the toolkit keeps caches for the life of the process); an allocation that
# cannot be met returns null, as the C library's does, rather than ending the run.
export ASAN_OPTIONS="detect_leaks=0:abort_on_error=1:allocator_may_return_null=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
# The targets' scratch files, on a memory file system when there is one: every save of the
# configuration is flushed to the disk. A crash leaves its files behind; this takes them away.
TMPDIR=$(mktemp -d "$( [ -d /dev/shm ] && echo /dev/shm || echo "${TMPDIR:-/tmp}")/pictarn-fuzz.XXXXXX")
export TMPDIR
trap 'rm -rf "$TMPDIR"' EXIT
failed=0
for target in fuzz_thumbnailcache fuzz_config; do
    corpus="$top/fuzz/corpus-$target"
    seeds="$top/fuzz/corpus-seeds-$target"
    crashes="$top/fuzz/corpus-crashes/$target"
    mkdir -p "$corpus" "$crashes"
    rm -rf "$seeds"
    PICTARN_FUZZ_SEEDS="$seeds" "$build/fuzz/$target" || exit 1
    echo "== $target for ${seconds}s"
    "$build/fuzz/$target" -max_total_time="$seconds" -timeout=10 -print_final_stats=1 \
        -artifact_prefix="$crashes/" -dict="$top/fuzz/${target#fuzz_}.dict" "$corpus" "$seeds" \
        2>&1 | tee "$build/fuzz/$target.log" | grep -v '^#[0-9]*.*\(NEW\|REDUCE\|pulse\)'
    [ "${PIPESTATUS[0]}" -eq 0 ] || failed=1
done
[ $failed -eq 0 ] || echo "FAILED: crashing inputs are in $top/fuzz/corpus-crashes/"
exit $failed
