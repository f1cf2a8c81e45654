#!/usr/bin/env bash
# Sets up a fresh machine, builds the program folder and starts the program, as the
# user who runs it (missing packages are installed through sudo).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
if [ "$(id -u)" -eq 0 ] && [ -n "${SUDO_USER:-}" ]; then
    echo "Run this as $SUDO_USER, without sudo: the build and the program folder would" \
        "belong to root. Missing packages are installed through sudo." >&2
    exit 1
fi
bash "$root/scripts/install-deps.sh"
bash "$root/scripts/build.sh"
exec "${BRISKLANDER_BUILD_DIR:-$root/build}/Brisklander/Brisklander"
