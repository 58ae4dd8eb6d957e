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
# CMake lists every fuzz target it builds; one without a corpus folder starts from nothing.
names=()
programs=()
while read -r name program; do
    names+=("$name")
    programs+=("$program")
done <build/fuzz/fuzz/fuzz-targets.txt
if [ "${#names[@]}" -eq 0 ]; then
    echo "no fuzz targets listed in build/fuzz/fuzz/fuzz-targets.txt" >&2
    exit 1
fi
cmake --build build/fuzz -j "$jobs" --target "${names[@]}"
# The working corpus of the target being run goes, however the run ends.
work=""
trap 'if [ -n "$work" ]; then rm -rf "$work"; fi' EXIT
trap 'exit 130' INT
trap 'exit 143' TERM
for i in "${!names[@]}"; do
    t=${names[$i]}
    work=$(mktemp -d)
    if [ -d "fuzz/corpus/$t" ]; then
        cp -r "fuzz/corpus/$t/." "$work/"
    else
        echo "-- $t has no corpus folder: starting from an empty corpus"
    fi
    echo "-- $t for ${FUZZ_SECONDS:-60} s"
    ASAN_OPTIONS=detect_leaks=1 "${programs[$i]}" -max_total_time="${FUZZ_SECONDS:-60}" \
        -rss_limit_mb=4096 -timeout=20 -print_final_stats=1 \
        -artifact_prefix="build/fuzz/$t-" "$work"
    rm -rf "$work"
    work=""
done
echo "== all tests passed"
