#!/usr/bin/env bash
# Configures and builds into build/ and assembles the program folder build/Brisklander/.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BRISKLANDER_BUILD_DIR:-$root/build}
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DBRISKLANDER_WERROR="${BRISKLANDER_WERROR:-OFF}" >/dev/null
cmake --build "$build" -j"$(nproc)"
