#!/usr/bin/env bash
# Makes the Debian package from the build and checks it with lintian, Debian's own checker of
# packages: no error and no warning. Also that the package holds what the install test checks
# in an install tree, under /usr.
#   packagetest.sh BUILD_DIR VERSION
set -euo pipefail
build=$1
version=$2

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() {
    echo "FAIL: $*" >&2
    exit 1
}

cpack --config "$build/CPackConfig.cmake" -G DEB -B "$work" >"$work/cpack.log" 2>&1 ||
    { cat "$work/cpack.log" >&2; fail "cpack"; }
deb=$work/trellion_${version}_amd64.deb
[ -s "$deb" ] || fail "no package $deb"

contents=$(dpkg-deb --contents "$deb" | awk '{print $NF}')
for f in ./usr/bin/trellion ./usr/bin/trellion-cli ./usr/share/man/man1/trellion.1.gz \
    ./usr/share/man/man1/trellion-cli.1.gz ./usr/share/doc/trellion/copyright \
    ./usr/share/doc/trellion/changelog.gz ./usr/share/thumbnailers/trellion.thumbnailer \
    ./usr/share/applications/uk.co.halvorn.Trellion.desktop; do
    grep -qx -- "$f" <<<"$contents" || fail "the package lacks $f"
done

echo "-- lintian"
# lintian warns that it runs as root (CI's user); that is not about the package.
lintian --tag-display-limit 0 --fail-on error,warning "$deb" 2> >(grep -v 'running with root privileges' >&2)
echo "package test passed"
