#!/usr/bin/env bash
# Sets up a fresh machine, builds the program folder and starts the program.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/install-deps.sh"
bash "$root/scripts/build.sh"
exec "${BRISKLANDER_BUILD_DIR:-$root/build}/Brisklander/Brisklander"
