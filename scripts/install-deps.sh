#!/usr/bin/env bash
# Installs the Debian packages needed to build, test, benchmark and run Velmora.
# Fast when everything is present: apt-get is only called for missing packages.
set -euo pipefail

packages=(
    cmake g++ make pkg-config
    qt6-base-dev qt6-base-dev-tools libgl-dev
    libpng-dev zlib1g-dev
    googletest libgtest-dev libgmock-dev libbenchmark-dev
    pngcheck libimage-exiftool-perl imagemagick
    xvfb xauth time
    desktop-file-utils appstream man-db
)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done

if [ ${#missing[@]} -eq 0 ]; then
    exit 0
fi

SUDO=""
if [ "$(id -u)" -ne 0 ]; then
    SUDO="sudo"
fi

echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
