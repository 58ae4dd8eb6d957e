#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the window need, when any is missing.
set -euo pipefail

packages=(
    cmake ninja-build g++ clang libclang-rt-14-dev
    qt6-base-dev libgl-dev
    libgtest-dev libgmock-dev libbenchmark-dev
    fonts-liberation fonts-dejavu-core
    desktop-file-utils appstream shared-mime-info libxml2-utils man-db lintian dpkg-dev
)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$p")
    fi
done

if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update
    apt-get install -y --no-install-recommends "${missing[@]}" </dev/null
fi
