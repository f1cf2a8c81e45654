#!/usr/bin/env bash
# Builds the Debian package build/brisklander_VERSION_ARCH.deb from the build in build/
# (configured as scripts/build.sh does when it is not yet), with CPack's DEB generator.
# Needs dpkg-dev (dpkg-shlibdeps works out the libraries the package depends on).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BRISKLANDER_BUILD_DIR:-$root/build}
if ! command -v dpkg-shlibdeps >/dev/null; then
    echo "package: dpkg-shlibdeps is missing (apt-get install dpkg-dev)" >&2
    exit 1
fi
# An existing build keeps its options (CI's warnings-as-errors build is reused as it is).
if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DBRISKLANDER_WERROR="${BRISKLANDER_WERROR:-OFF}" >/dev/null
fi
# What the package holds; nothing else (tests, benchmarks) is built for it.
cmake --build "$build" -j"$(nproc)" --target Brisklander brisklander-db brisklander-quote \
    package_template
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:[A-Z]*=//p' "$build/CMakeCache.txt")
deb=$build/brisklander_${version}_$(dpkg --print-architecture).deb
rm -f "$deb"
(cd "$build" && cpack -G DEB -B "$build" >/dev/null)
if [ ! -f "$deb" ]; then
    echo "package: CPack did not write $deb" >&2
    exit 1
fi
echo "package: $deb ($(du -h "$deb" | cut -f1))"
