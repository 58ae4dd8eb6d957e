#!/usr/bin/env bash
# Makes the Debian package from a Release build: build/package/trellion_<version>_amd64.deb.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
cmake -S . -B build/package -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DTRELLION_TESTS=OFF -DTRELLION_BENCH=OFF
cmake --build build/package -j "$(nproc)"
cd build/package
cpack -G DEB
