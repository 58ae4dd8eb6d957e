#!/usr/bin/env bash
# Builds the utility and starts its window.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTRELLION_WERROR=ON
cmake --build build/release -j "$(nproc)" --target trellion
exec build/release/app/trellion "$@"
