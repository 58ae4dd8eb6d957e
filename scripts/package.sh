#!/usr/bin/env bash
# Makes the Debian package from a Release build: build/package/trellion_<version>_amd64.deb.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
# The distribution's hardening flags, as its own packages are built with: fortified functions,
# stack protector, read-only relocations bound at start. CMake does not read CPPFLAGS.
eval "$(DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --export=sh)"
export CXXFLAGS="$CXXFLAGS $CPPFLAGS"
cmake -S . -B build/package -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DTRELLION_TESTS=OFF -DTRELLION_BENCH=OFF
cmake --build build/package -j "$(nproc)"
cd build/package
cpack -G DEB
