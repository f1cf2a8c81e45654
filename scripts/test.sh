#!/usr/bin/env bash
# Builds everything and runs the whole test suite headless through CTest, beside a
# PostgreSQL server made for the run.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/install-deps.sh"
bash "$root/scripts/build.sh"
cd "${BRISKLANDER_BUILD_DIR:-$root/build}"
# The tests of the office database run against a throwaway PostgreSQL server that
# pg_virtualenv makes for the run and removes after it; its PG* variables name it.
QT_QPA_PLATFORM=offscreen pg_virtualenv -t -v 15 ctest --output-on-failure -j"$(nproc)"
