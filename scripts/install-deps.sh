#!/usr/bin/env bash
# Installs the Debian packages the build, the program and the tests need; skips
# what is already there. Only the installation runs as root: through sudo when the
# user is not root, so the build and the program stay the user's.
set -euo pipefail
packages=(
    build-essential cmake pkg-config clang-format git
    qt6-base-dev qt6-base-dev-tools qt6-qpa-plugins
    libsqlite3-dev sqlite3
    libpq-dev postgresql-15 postgresql-contrib postgresql-common
    libgeographiclib-dev tzdata
    libbenchmark-dev
    fonts-liberation2
    poppler-utils xvfb xauth
)
missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$package")
    fi
done
if [ ${#missing[@]} -eq 0 ]; then
    exit 0
fi
as_root=()
if [ "$(id -u)" -ne 0 ]; then
    if ! command -v sudo >/dev/null; then
        echo "Missing packages: ${missing[*]}; install them as root (sudo is not here)." >&2
        exit 1
    fi
    as_root=(sudo)
fi
echo "Installing: ${missing[*]}"
"${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -qq
"${as_root[@]}" env DEBIAN_FRONTEND=noninteractive \
    apt-get install -y -qq --no-install-recommends "${missing[@]}"
