#!/usr/bin/env bash
# Installs the Debian packages the build, the program and the tests need; skips
# what is already there. Run as root.
set -euo pipefail
packages=(
    build-essential cmake pkg-config clang-format git
    qt6-base-dev qt6-base-dev-tools qt6-qpa-plugins
    libsqlite3-dev sqlite3
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
if [ "$(id -u)" -ne 0 ]; then
    echo "Missing packages: ${missing[*]}; run this script as root to install them." >&2
    exit 1
fi
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}"
