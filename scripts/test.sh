#!/usr/bin/env bash
# Builds and runs every test: a normal build, a build under AddressSanitizer and
# UndefinedBehaviorSanitizer, and each fuzz target for a bounded time.
#   FUZZ_SECONDS  seconds per fuzz target (default 60)
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh

jobs=$(nproc)
export QT_QPA_PLATFORM=offscreen
export CTEST_OUTPUT_ON_FAILURE=1

echo "== normal build"
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTRELLION_WERROR=ON
cmake --build build/release -j "$jobs"
ctest --test-dir build/release -j "$jobs" --timeout 600

echo "== AddressSanitizer + UndefinedBehaviorSanitizer build"
cmake -S . -B build/asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTRELLION_WERROR=ON \
    -DTRELLION_SANITIZE=ON -DTRELLION_BENCH=OFF -DCMAKE_CXX_FLAGS="-O1"
cmake --build build/asan -j "$jobs"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1 \
    ctest --test-dir build/asan -j "$jobs" --timeout 1200

echo "== fuzz targets"
cmake -S . -B build/fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTRELLION_WERROR=ON \
    -DTRELLION_FUZZ=ON -DTRELLION_SANITIZE=ON -DTRELLION_BENCH=OFF \
    -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_C_COMPILER=clang
targets=$(ls fuzz/corpus 2>/dev/null || true)
for t in $targets; do
    cmake --build build/fuzz -j "$jobs" --target "$t"
done
for t in $targets; do
    work=$(mktemp -d)
    cp -r "fuzz/corpus/$t/." "$work/"
    echo "-- $t for ${FUZZ_SECONDS:-60} s"
    ASAN_OPTIONS=detect_leaks=1 "build/fuzz/fuzz/$t" -max_total_time="${FUZZ_SECONDS:-60}" \
        -rss_limit_mb=4096 -timeout=20 -print_final_stats=1 \
        -artifact_prefix="build/fuzz/$t-" "$work"
    rm -rf "$work"
done
echo "== all tests passed"
